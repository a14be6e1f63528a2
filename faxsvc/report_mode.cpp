#include "faxsvc/report_mode.h"

#include "faxsvc/format.h"
#include "faxsvc/result_file.h"
#include "faxsvc/spool_files.h"
#include "platform/environment.h"
#include "platform/ini_file.h"

namespace ostrel::fax {

bool ReportMode::sendPending(FaxLink& link) {
  const auto request = c_.reports.take();
  if (!request) return false;
  const auto message = buildReportRequest(request->sid, request->receivers, request->country);
  if (!message) {
    c_.log.write("Report request for " + request->sid + " not sent: " + message.error);
    return false;
  }
  link.send(*message.value);
  return true;
}

void ReportMode::handle(const MessageView& message, FaxLink& link, const Credentials&) {
  if (message.type() != message_type::kReportAcked && message.type() != message_type::kReportUnacked) return;
  const auto parsed = parseReport(message);
  if (parsed) {
    record(*parsed.value);
  } else {
    c_.log.write("Error in FAX_REPORT_ACK: " + parsed.error);
  }
  if (message.type() == message_type::kReportAcked) link.send(buildEmpty(message_type::kReportAck));
}

void ReportMode::record(const FaxReport& report) {
  const std::string path = c_.paths.resultFile(report.sid);
  if (!isSafeFileName(report.sid + ".rlt") || !platform::fileExists(path)) {
    c_.log.write(format("FAX_REPORT_ACK: I cannot find %s.", path.c_str()));
    return;
  }
  writeResultValue(path, "intState", kStateReported);
  writeResultValue(path, "intSentPages", format("%u", report.sentPages));
  writeResultValue(path, "strStartTime", report.startTime);
  writeResultValue(path, "strEndTime", report.endTime);
  writeResultValue(path, "ResultCode", report.resultCode);
  const std::string date =
      platform::GetPrivateProfileString(kResultSection, "strDate", "", path).substr(0, 31);
  archiveResultFile(c_.paths.send, report.sid + ".rlt", date, c_.log);
}

}  // namespace ostrel::fax
