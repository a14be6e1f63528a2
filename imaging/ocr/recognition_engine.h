#pragma once
// The text-recognition engine (Tesseract with English data). It is loaded at
// start-up and at each job start when absent, and unloaded at exit. No page goes
// through it yet; loading it tells the user, through the activity log, whether
// recognition is available. Its absence is never fatal: every outcome is one log
// line and the program goes on.
#include <memory>
#include <string>

namespace ostrel::ocr {

enum class EngineLoad {
  incorrectLocation,  // the program's path has no folder
  missing,            // no English language data in the data folder
  invalid,            // the data file is not language data
  accessFailed,       // the engine would not start with that data
  loaded,
};

// The activity-log line for an outcome, e.g. "ABBYY Engine is loaded.".
const char* engineLoadLogText(EngineLoad outcome);

// Where the engine's language data is looked for, given the program's path: a
// folder "OBX OCR" beside the program's folder when it holds "eng.traineddata"
// (an installation may ship its own data there), else $TESSDATA_PREFIX when set,
// else the folder Debian's tesseract-ocr-eng installs to.
std::string defaultDataFolder(const std::string& programPath);

class RecognitionEngine {
 public:
  RecognitionEngine();
  ~RecognitionEngine();  // unloads
  RecognitionEngine(const RecognitionEngine&) = delete;
  RecognitionEngine& operator=(const RecognitionEngine&) = delete;

  // Unloads any loaded engine, then loads it from the data folder found for the
  // program, and writes the outcome's line to the activity log.
  EngineLoad load(const std::string& programPath);
  // The same with an explicit data folder (the folder holding "eng.traineddata").
  EngineLoad loadFrom(const std::string& dataFolder);
  void unload();
  bool isLoaded() const;

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
};

}  // namespace ostrel::ocr
