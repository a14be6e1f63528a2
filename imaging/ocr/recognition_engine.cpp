#include "imaging/ocr/recognition_engine.h"

#include <dlfcn.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/activity_log.h"
#include "platform/environment.h"

namespace ostrel::ocr {

namespace {

constexpr const char* kDataSuffix = ".traineddata";
constexpr const char* kOrientationData = "osd";
constexpr const char* kDebianDataFolder = "/usr/share/tesseract-ocr/5/tessdata";
// Tesseract's own bound on the entries of a language data file.
constexpr std::uint32_t kMaxDataEntries = 1000;
// Below this the orientation guess is no better than chance on a page of a few
// words; such a page is left as it is.
constexpr float kMinimumOrientationConfidence = 2.0f;

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

// libgomp, which Debian's Tesseract is built with, keeps its setting of
// nested parallelism per thread; with no active level allowed, every parallel
// region of the engine runs on the calling thread alone. Looked up at run time
// so the program does not depend on the OpenMP runtime itself.
void keepEngineOnThisThread() {
  using SetLevels = void (*)(int);
  static const auto setLevels = reinterpret_cast<SetLevels>(::dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
  if (setLevels) setLevels(0);
}

// The page as top-down 8-bit grey rows without padding, what the engine reads best.
std::vector<std::uint8_t> greyRows(const Dib& page) {
  const int width = page.width();
  const int height = page.height();
  std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::uint8_t paletteGrey[256] = {};
  for (int i = 0; i < page.paletteSize(); ++i) {
    const RgbQuad c = page.paletteEntry(i);
    paletteGrey[i] = static_cast<std::uint8_t>((c.red * 77 + c.green * 150 + c.blue * 29) >> 8);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = page.row(y);
    std::uint8_t* out = grey.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    switch (page.bitsPerPixel()) {
      case 1:
        for (int x = 0; x < width; ++x) out[x] = paletteGrey[(in[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 8:
        for (int x = 0; x < width; ++x) out[x] = paletteGrey[in[x]];
        break;
      default:
        for (int x = 0; x < width; ++x, in += 3) {
          out[x] = static_cast<std::uint8_t>((in[2] * 77 + in[1] * 150 + in[0] * 29) >> 8);
        }
        break;
    }
  }
  return grey;
}

void handOver(tesseract::TessBaseAPI& api, const Dib& page, const std::vector<std::uint8_t>& grey) {
  api.SetImage(grey.data(), page.width(), page.height(), 1, page.width());
  api.SetSourceResolution(std::max(page.xDpi(), 70));
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

std::string engineLanguage(const std::string& listEntry) {
  std::string name = listEntry;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  if (name == "french") return "fra";
  if (name == "german") return "deu";
  if (name == "italian") return "ita";
  if (name == "spanish") return "spa";
  return "eng";
}

std::string defaultDataFolder(const std::string& programPath) {
  const std::size_t slash = programPath.rfind('/');
  if (slash != std::string::npos) {
    const std::string programFolder = programPath.substr(0, slash);
    const std::size_t parentEnd = programFolder.rfind('/');
    const std::string beside =
        (parentEnd == std::string::npos ? std::string() : programFolder.substr(0, parentEnd)) + "/OBX OCR";
    if (platform::fileExists(beside + "/eng" + kDataSuffix)) return beside;
  }
  if (const char* prefix = std::getenv("TESSDATA_PREFIX"); prefix && *prefix) return prefix;
  return kDebianDataFolder;
}

struct RecognitionEngine::Engine {
  tesseract::TessBaseAPI api;
  std::unique_ptr<tesseract::TessBaseAPI> orientation;
  bool orientationFailed = false;
  ~Engine() {
    api.End();
    if (orientation) orientation->End();
  }
};

RecognitionEngine::RecognitionEngine() = default;
RecognitionEngine::~RecognitionEngine() = default;

bool RecognitionEngine::isLoaded() const { return engine_ != nullptr; }
const std::string& RecognitionEngine::language() const { return language_; }
const std::string& RecognitionEngine::dataFolder() const { return dataFolder_; }

void RecognitionEngine::unload() { engine_.reset(); }

EngineLoad RecognitionEngine::load(const std::string& programPath) {
  if (programPath.find('/') == std::string::npos) {
    unload();
    Log(engineLoadLogText(EngineLoad::incorrectLocation));
    return EngineLoad::incorrectLocation;
  }
  return loadFrom(defaultDataFolder(programPath));
}

EngineLoad RecognitionEngine::loadFrom(const std::string& dataFolder, const std::string& language, Report report) {
  unload();
  EngineLoad outcome = EngineLoad::loaded;
  std::ifstream data(dataFolder + "/" + language + kDataSuffix, std::ios::binary);
  if (!data) {
    outcome = EngineLoad::missing;
  } else if (!looksLikeLanguageData(data)) {
    outcome = EngineLoad::invalid;
  } else {
    keepEngineOnThisThread();
    auto engine = std::make_unique<Engine>();
    if (engine->api.Init(dataFolder.c_str(), language.c_str()) == 0) {
      engine_ = std::move(engine);
      dataFolder_ = dataFolder;
      language_ = language;
    } else {
      outcome = EngineLoad::accessFailed;
    }
  }
  if (report == Report::toLog) Log(engineLoadLogText(outcome));
  return outcome;
}

std::optional<PageText> RecognitionEngine::recognize(const Dib& page) {
  if (!engine_ || page.width() <= 0 || page.height() <= 0) return std::nullopt;
  keepEngineOnThisThread();
  tesseract::TessBaseAPI& api = engine_->api;
  const std::vector<std::uint8_t> grey = greyRows(page);
  handOver(api, page, grey);
  if (api.Recognize(nullptr) != 0) {
    api.Clear();
    return std::nullopt;
  }
  PageText text;
  text.width = page.width();
  text.height = page.height();
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (it) {
    do {
      if (it->Empty(tesseract::RIL_WORD)) continue;
      const std::unique_ptr<char[]> utf8(it->GetUTF8Text(tesseract::RIL_WORD));
      if (!utf8 || !*utf8.get()) continue;
      Word word;
      word.text = utf8.get();
      it->BoundingBox(tesseract::RIL_WORD, &word.box.left, &word.box.top, &word.box.right, &word.box.bottom);
      word.startsLine = it->IsAtBeginningOf(tesseract::RIL_TEXTLINE);
      word.startsParagraph = it->IsAtBeginningOf(tesseract::RIL_PARA);
      text.words.push_back(std::move(word));
    } while (it->Next(tesseract::RIL_WORD));
  }
  // The first word of a page always starts a paragraph, whatever the engine
  // made of a block that began with an empty word.
  if (!text.words.empty()) text.words.front().startsLine = text.words.front().startsParagraph = true;
  api.Clear();
  return text;
}

std::optional<Orientation> RecognitionEngine::detectOrientation(const Dib& page) {
  if (!engine_ || engine_->orientationFailed || page.width() <= 0 || page.height() <= 0) return std::nullopt;
  keepEngineOnThisThread();
  if (!engine_->orientation) {
    auto api = std::make_unique<tesseract::TessBaseAPI>();
    if (api->Init(dataFolder_.c_str(), kOrientationData) != 0) {
      engine_->orientationFailed = true;
      Log("The orientation data (osd" + std::string(kDataSuffix) + ") is missing from " + dataFolder_ +
          "; pages are not turned upright.");
      return std::nullopt;
    }
    api->SetPageSegMode(tesseract::PSM_OSD_ONLY);
    engine_->orientation = std::move(api);
  }
  tesseract::TessBaseAPI& api = *engine_->orientation;
  const std::vector<std::uint8_t> grey = greyRows(page);
  handOver(api, page, grey);
  int degrees = 0;
  float confidence = 0;
  const char* script = nullptr;
  float scriptConfidence = 0;
  const bool found = api.DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
  api.Clear();
  if (!found || confidence < kMinimumOrientationConfidence) return std::nullopt;
  // The engine names how far the page stands turned clockwise; turning it back
  // is the rest of the full turn.
  return Orientation{(360 - degrees % 360) % 360};
}

}  // namespace ostrel::ocr
