#pragma once
// Our SANE test backend with button sensors (tools/sanetest) as the only
// scanner the test and the programs it starts see, registered as "office"
// (model "Office"), with the profiles of its buttons, and what the backend
// logged of who opened it and what they did.
#include <string>
#include <vector>

namespace ostrel::testing {

inline constexpr const char* kSensorDevice = "office";
inline constexpr const char* kSensorModel = "Office";

struct BackendEvent {
  long long ms = 0;
  int pid = 0;
  std::string program;
  std::string event;   // open, close, busy, start, sensor, cancel
  std::string detail;  // "page 1", "scan=1"
};

class SensorScanner {
 public:
  // settings: lines of ostreltest.conf ("pages 3", "page-delay-ms 500").
  explicit SensorScanner(const std::vector<std::string>& settings = {});

  const std::string& folder() const { return folder_; }
  // Sets one sensor; the others keep their values.
  void set(const std::string& sensor, int value);
  std::vector<BackendEvent> log() const;

 private:
  std::string folder_;
  std::vector<std::pair<std::string, int>> sensors_;
};

// ostrel-device add-sane of the backend's device as "office".
bool registerOffice();

// A Storage button writing JPEG files of grey 100 dpi Letter pages into
// out/<title> of the test's home.
void storageButton(int number, const std::string& title);

// Where a button titled title writes its files.
std::string outFolder(const std::string& title);

// The names in a folder, sorted; none when it does not exist.
std::vector<std::string> filesIn(const std::string& folder);

// "Button N finished its scan job" lines in the log.
long jobsFinished(int button);

}  // namespace ostrel::testing
