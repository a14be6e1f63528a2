#pragma once
// The result file <FOD>.rlt that follows a fax request through its life, and
// the states and result codes written into it.
#include <string>
#include <string_view>

#include "faxsvc/diagnostic_log.h"

namespace ostrel::fax {

inline constexpr const char* kResultSection = "Lumora";

inline constexpr int kStateQueued = 1;
inline constexpr int kStateRejected = 4;
inline constexpr int kStateReportRequested = 6;
inline constexpr int kStateReported = 3;

inline constexpr int kResultRejected = 844;
inline constexpr int kResultStateI = 849;
inline constexpr int kResultRefusedOrFinished = 810;
inline constexpr unsigned kResultFinishedFrom = 800;

struct ResultFileFields {
  std::string sender;
  std::string receivers;
  std::string title;
  std::string date;  // "%Y%m%d"
  int fileCount = 0;
  std::string fileName;
  std::string registered;  // "%Y-%m-%d %H:%M:%S"
  std::string fod;
  std::string country;
};

// The file's whole text as first written.
std::string resultFileText(const ResultFileFields& fields);

// Replaces any existing file with the template; false when it cannot be written.
bool createResultFile(const std::string& path, const ResultFileFields& fields);

// Updates one key of an existing result file; false when the file is gone.
bool writeResultValue(const std::string& path, std::string_view key, std::string_view value);
bool writeResultValue(const std::string& path, std::string_view key, int value);

// Moves <sendFolder>/<name> into <sendFolder>/<date>/, replacing a file there.
// A date that is not a plain folder name leaves the file where it is.
void archiveResultFile(const std::string& sendFolder, const std::string& name, const std::string& date,
                       DiagnosticLog& log);

}  // namespace ostrel::fax
