#include "imaging/ocr/recognition_engine.h"

#include <tesseract/baseapi.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>

#include "platform/activity_log.h"
#include "platform/environment.h"

namespace ostrel::ocr {

namespace {

constexpr const char* kLanguage = "eng";
constexpr const char* kDataFile = "/eng.traineddata";
constexpr const char* kDebianDataFolder = "/usr/share/tesseract-ocr/5/tessdata";
// Tesseract's own bound on the entries of a language data file.
constexpr std::uint32_t kMaxDataEntries = 1000;

std::uint32_t byteSwapped(std::uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xff00u) | ((v << 8) & 0xff0000u) | (v << 24);
}

// Language data starts with its entry count and a table of 64-bit offsets;
// anything else (an empty file, a download error page) is not language data.
bool looksLikeLanguageData(std::ifstream& file) {
  std::uint32_t entries = 0;
  if (!file.read(reinterpret_cast<char*>(&entries), sizeof entries)) return false;
  if (entries > kMaxDataEntries) entries = byteSwapped(entries);
  if (entries == 0 || entries > kMaxDataEntries) return false;
  file.seekg(0, std::ios::end);
  const auto size = static_cast<std::uint64_t>(file.tellg());
  return size >= sizeof entries + 8ull * entries;
}

}  // namespace

const char* engineLoadLogText(EngineLoad outcome) {
  switch (outcome) {
    case EngineLoad::incorrectLocation: return "OBX is in an incorrect location.";
    case EngineLoad::missing: return "ABBYY Engine doesn't exist.";
    case EngineLoad::invalid: return "ABBYY Engine is invalid.";
    case EngineLoad::accessFailed: return "ABBYY Engine access failed.";
    case EngineLoad::loaded: return "ABBYY Engine is loaded.";
  }
  return "ABBYY Engine access failed.";
}

std::string defaultDataFolder(const std::string& programPath) {
  const std::size_t slash = programPath.rfind('/');
  if (slash != std::string::npos) {
    const std::string programFolder = programPath.substr(0, slash);
    const std::size_t parentEnd = programFolder.rfind('/');
    const std::string beside =
        (parentEnd == std::string::npos ? std::string() : programFolder.substr(0, parentEnd)) + "/OBX OCR";
    if (platform::fileExists(beside + kDataFile)) return beside;
  }
  if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) return prefix;
  return kDebianDataFolder;
}

struct RecognitionEngine::Engine {
  tesseract::TessBaseAPI api;
  ~Engine() { api.End(); }
};

RecognitionEngine::RecognitionEngine() = default;
RecognitionEngine::~RecognitionEngine() = default;

bool RecognitionEngine::isLoaded() const { return engine_ != nullptr; }

void RecognitionEngine::unload() { engine_.reset(); }

EngineLoad RecognitionEngine::load(const std::string& programPath) {
  if (programPath.find('/') == std::string::npos) {
    unload();
    Log(engineLoadLogText(EngineLoad::incorrectLocation));
    return EngineLoad::incorrectLocation;
  }
  return loadFrom(defaultDataFolder(programPath));
}

EngineLoad RecognitionEngine::loadFrom(const std::string& dataFolder) {
  unload();
  EngineLoad outcome = EngineLoad::loaded;
  std::ifstream data(dataFolder + kDataFile, std::ios::binary);
  if (!data) {
    outcome = EngineLoad::missing;
  } else if (!looksLikeLanguageData(data)) {
    outcome = EngineLoad::invalid;
  } else {
    auto engine = std::make_unique<Engine>();
    if (engine->api.Init(dataFolder.c_str(), kLanguage) == 0) {
      engine_ = std::move(engine);
    } else {
      outcome = EngineLoad::accessFailed;
    }
  }
  Log(engineLoadLogText(outcome));
  return outcome;
}

}  // namespace ostrel::ocr
