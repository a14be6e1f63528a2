#pragma once
// The activity log: one line per step, appended to a monthly file
// "OBX-YYYY-MM.log" in "%AppData%/Ostrel/", shared by every copy of the program.
// Lines are written synchronously by the caller, opened, appended and closed each
// time, in UTF-8 with CR LF endings.
#include <ctime>
#include <string>
#include <string_view>

namespace ostrel {

class ActivityLog {
 public:
  // The scanner name every line carries; empty until the scanner is matched.
  void setScannerName(std::string name) { scannerName_ = std::move(name); }
  const std::string& scannerName() const { return scannerName_; }

  // Writes one line stamped with the current local time and the calling thread.
  void write(std::string_view message) const;
  void write(std::string_view message, const std::tm& localTime) const;

  // The folder of the logs, ending with '/'.
  static std::string folder();
  // Deletes the logs of earlier years, judged by the date in their names.
  static void removeOldLogs();
  static void removeOldLogs(const std::tm& today);

 private:
  std::string scannerName_;
};

// "%04d-%02d-%02d %02d:%02d:%02d(%04d) ->[%s] %s\r\n"; line breaks inside the
// scanner name or the message become blanks.
std::string formatLogLine(const std::tm& localTime, long threadId, std::string_view scannerName,
                          std::string_view message);
// "OBX-%04d-%02d.log"
std::string logFileName(const std::tm& localTime);

// The application object's log: one per process, as every copy of the program
// logs through its application object.
ActivityLog& applicationLog();
// Shorthand for applicationLog().write(message).
void Log(std::string_view message);

}  // namespace ostrel
