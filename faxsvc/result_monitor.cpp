#include "faxsvc/result_monitor.h"

#include <cerrno>

#include "faxsvc/format.h"
#include "faxsvc/protocol.h"
#include "faxsvc/result_file.h"
#include "faxsvc/spool_files.h"
#include "platform/environment.h"
#include "platform/ini_file.h"

namespace ostrel::fax {

namespace {

using platform::joinPath;

constexpr int kOpenAttempts = 5;

// A job waiting for its report is asked about every pass; while the report
// connection cannot send (the server is away), one request per job waits, so
// the queue does not grow for as long as the outage lasts.
void requestReport(LockedQueue<ReportRequest>& queue, ReportRequest request) {
  queue.pushUnlessWaiting(std::move(request), [](const ReportRequest& a, const ReportRequest& b) {
    return a.sid == b.sid;
  });
}

}  // namespace

void ResultMonitor::run() {
  while (!c_.stop.isSet()) {
    runPass();
    c_.stop.waitFor(c_.timing.seconds(10));
  }
}

void ResultMonitor::runPass() {
  int error = 0;
  const auto entries = listFolder(c_.paths.send, ".rlt", error);
  if (!entries) {
    if (error != ENOENT) {
      c_.log.write(format("[Error Code: %d] FindFirstFile error in %s", error, c_.paths.send.c_str()));
    }
    return;
  }
  for (const auto& entry : *entries) {
    if (c_.stop.isSet()) return;
    if (!entry.isDirectory) handle(entry.name);
  }
}

void ResultMonitor::handle(const std::string& name) {
  const std::string path = joinPath(c_.paths.send, name);
  if (!openExclusive(path, kOpenAttempts, c_.timing, c_.stop).fd.valid()) {
    c_.log.write(name + ": cannot be read.");
    c_.stop.waitFor(c_.timing.tick);
    return;
  }
  using platform::GetPrivateProfileInt;
  using platform::GetPrivateProfileString;
  const std::string receivers = GetPrivateProfileString(kResultSection, "strReceiver_FaxNum", "", path);
  const std::string date = GetPrivateProfileString(kResultSection, "strDate", "", path);
  const int state = GetPrivateProfileInt(kResultSection, "intState", 0, path);
  const std::string sid = GetPrivateProfileString(kResultSection, "strSID", "", path);
  const std::string country = GetPrivateProfileString(kResultSection, "strCountryCode", "", path);
  // Compared without sign, as the stored code always was.
  const auto resultCode = static_cast<unsigned>(GetPrivateProfileInt(kResultSection, "ResultCode", 0, path));
  if (date.empty() || sid.empty() || receivers.empty() || country.empty()) {
    c_.log.write(format("Reading %s failed.", name.c_str()));
    return;
  }

  if (state == kStateConverted) {
    requestReport(c_.reports, {sid, receivers, country});
    writeResultValue(path, "intState", kStateReportRequested);
  }
  if (resultCode >= kResultFinishedFrom) archiveResultFile(c_.paths.send, name, date, c_.log);
  if (resultCode != 0) return;
  if (state == kStateReportRequested) {
    requestReport(c_.reports, {sid, receivers, country});
  } else if (state == kStateResultI) {
    writeResultValue(path, "ResultCode", kResultStateI);
    archiveResultFile(c_.paths.send, name, date, c_.log);
  } else if (state == kStateFinished || state == kStateRefused) {
    writeResultValue(path, "ResultCode", kResultRefusedOrFinished);
    archiveResultFile(c_.paths.send, name, date, c_.log);
  }
}

}  // namespace ostrel::fax
