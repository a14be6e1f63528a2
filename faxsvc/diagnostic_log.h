#pragma once
// The fax service's own diagnostic log, one file a day under
// <ProgramDirectory>/Log/. Off unless switched on (OSTREL_FAX_LOG=1 in the
// environment or LogMode=1 in ZeltSvc.ini); when off, nothing is created.
// Thread-safe.
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/unique_fd.h"

namespace ostrel::fax {

class DiagnosticLog {
 public:
  // Where the log lives and whether it writes at all; closes an open file.
  void configure(const std::string& programDirectory, bool enabled);

  // One line, whatever the message holds: its control characters are written
  // as escapes (\n, \x07), and its backslashes doubled.
  void write(std::string_view message);
  // The message followed by the system's error code and its text.
  void writeSystemError(std::string_view message, int error);

  void close();

  // Where the log takes the time from; tests use it to pass midnight.
  void setClock(std::function<std::time_t()> clock);

 private:
  std::mutex mutex_;
  std::function<std::time_t()> clock_;
  bool enabled_ = false;
  std::string folder_;
  std::string openPath_;  // the day file the handle belongs to
  platform::UniqueFd file_;
};

// Appends bytes to a file, creating it when missing; true when all were written.
// Appends from every thread of the process go through one lock.
bool outputToFile(const std::string& path, std::string_view bytes);

}  // namespace ostrel::fax
