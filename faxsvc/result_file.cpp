#include "faxsvc/result_file.h"

#include <unistd.h>

#include "faxsvc/format.h"
#include "faxsvc/spool_files.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel::fax {

std::string resultFileText(const ResultFileFields& f) {
  return format(
      "[Lumora]\r\nstrSender_FaxNum=%s\r\nstrReceiver_FaxNum=%s\r\nstrSubject=%s\r\nintConvTif=%d\r\n"
      "strDate=%s\r\nintFiles=%d\r\nstrFileName=%s\r\nstrTifNames=\r\nintPages=0\r\nintSentPages=0\r\n"
      "intState=0\r\nstrRegDate=%s\r\nstrReserverDate=\r\nstrStartTime=\r\nstrEndTime=\r\nstrSID=%s\r\n"
      "strCountryCode=%s\r\nintDeleted=0\r\nResultCode=0\r\n",
      f.sender.c_str(), f.receivers.c_str(), f.title.c_str(), 1, f.date.c_str(), f.fileCount,
      f.fileName.c_str(), f.registered.c_str(), f.fod.c_str(), f.country.c_str());
}

bool createResultFile(const std::string& path, const ResultFileFields& fields) {
  ::unlink(path.c_str());
  return platform::replaceFileAtomically(path, resultFileText(fields), 0666, platform::Flush::no);
}

bool writeResultValue(const std::string& path, std::string_view key, std::string_view value) {
  // Only an existing file is updated: a late answer for a request already
  // archived, or a job identifier made up by the server, must not leave a stub
  // file behind for the result monitor to trip over.
  return platform::fileExists(path) && platform::WritePrivateProfileString(kResultSection, key, value, path);
}

bool writeResultValue(const std::string& path, std::string_view key, int value) {
  return writeResultValue(path, key, format("%d", value));
}

void archiveResultFile(const std::string& sendFolder, const std::string& name, const std::string& date,
                       DiagnosticLog& log) {
  if (!isSafeFileName(date)) {
    log.write(name + ": strDate " + date + " is not a folder name; left in place.");
    return;
  }
  const std::string folder = platform::joinPath(sendFolder, date);
  platform::createFolder(folder);
  const int error = moveFileReplacing(platform::joinPath(sendFolder, name), platform::joinPath(folder, name));
  if (error != 0) log.writeSystemError(name + ": MoveFileEx() failed. ", error);
}

}  // namespace ostrel::fax
