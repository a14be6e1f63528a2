#pragma once
// What a running manager shows of itself to a button daemon's action, beside
// its socket: one line "<button events handled> <1 while a job runs, else 0>".
// The action forwards a press and waits for the count to pass what it read
// before, then for the job to end, so the daemon takes the scanner back only
// once the scan is over. The file goes when the manager ends.
#include <string>
#include <string_view>

namespace ostrel {

class ManagerStateFile {
 public:
  explicit ManagerStateFile(std::string_view scannerName);
  ~ManagerStateFile();
  ManagerStateFile(const ManagerStateFile&) = delete;
  ManagerStateFile& operator=(const ManagerStateFile&) = delete;

  void write(int eventsHandled, bool jobRunning);

 private:
  std::string path_;
};

}  // namespace ostrel
