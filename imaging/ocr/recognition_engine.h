#pragma once
// The text-recognition engine (Tesseract). The scan job loads one at start-up
// and at each job start when absent, which tells the user, through the activity
// log, whether recognition is available; its absence is never fatal: every
// outcome is one log line and the program goes on. Pages are recognised by the
// engines of the recognition workers (recognition_pool.h), one engine per
// thread: an engine is used by one thread at a time.
//
// Tesseract's own threading (OpenMP) is kept off on every thread that calls
// recognize() or detectOrientation(): the workers already keep the cores busy,
// and its threads would only compete with them and with the scanner.
#include <memory>
#include <optional>
#include <string>

#include "imaging/dib.h"
#include "imaging/ocr/page_text.h"

namespace ostrel::ocr {

enum class EngineLoad {
  incorrectLocation,  // the program's path has no folder
  missing,            // no data for the language in the data folder
  invalid,            // the data file is not language data
  accessFailed,       // the engine would not start with that data
  loaded,
};

// The activity-log line for an outcome, e.g. "ABBYY Engine is loaded.".
const char* engineLoadLogText(EngineLoad outcome);

// The engine's language for an entry of the OCR language list ("English",
// "French", "German", "Italian", "Spanish"; compared without case): "eng",
// "fra", "deu", "ita", "spa". Anything else is English.
std::string engineLanguage(const std::string& listEntry);

// Where the engine's language data is looked for, given the program's path: a
// folder "OBX OCR" beside the program's folder when it holds "eng.traineddata"
// (an installation may ship its own data there), else $TESSDATA_PREFIX when set,
// else the folder Debian's tesseract-ocr-* packages install to.
std::string defaultDataFolder(const std::string& programPath);

// How far a page must be turned clockwise to stand upright: 0, 90, 180 or 270.
struct Orientation {
  int clockwiseTurn = 0;
};

class RecognitionEngine {
 public:
  RecognitionEngine();
  ~RecognitionEngine();  // unloads
  RecognitionEngine(const RecognitionEngine&) = delete;
  RecognitionEngine& operator=(const RecognitionEngine&) = delete;

  // Unloads any loaded engine, then loads it (English) from the data folder
  // found for the program, and writes the outcome's line to the activity log.
  EngineLoad load(const std::string& programPath);
  // The same with an explicit data folder and language ("eng", "fra", ...);
  // the workers' engines load quietly, as the job's own has said it already.
  enum class Report { toLog, quietly };
  EngineLoad loadFrom(const std::string& dataFolder, const std::string& language = "eng",
                      Report report = Report::toLog);
  void unload();
  bool isLoaded() const;
  const std::string& language() const;
  const std::string& dataFolder() const;

  // The page's words in reading order; nullopt when no engine is loaded or the
  // page cannot be handed to it.
  std::optional<PageText> recognize(const Dib& page);

  // The page's orientation from its text, by the engine's orientation data
  // ("osd.traineddata" in the same folder, loaded at the first call). nullopt
  // when the page holds too little text to judge or the data is missing.
  std::optional<Orientation> detectOrientation(const Dib& page);

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
  std::string dataFolder_;
  std::string language_;
};

}  // namespace ostrel::ocr
