#include "faxsvc/spool_watcher.h"

#include <sys/stat.h>

#include <cerrno>

#include "faxsvc/format.h"
#include "faxsvc/result_file.h"
#include "faxsvc/spool_files.h"
#include "platform/environment.h"
#include "platform/file_descriptor.h"

namespace ostrel::fax {

namespace {

using platform::joinPath;

constexpr int kFailuresBeforeSetAside = 5;
constexpr int kRequestOpenAttempts = 6;
constexpr int kDocumentOpenAttempts = 21;
constexpr int kDocumentPasses = 5;

}  // namespace

void SpoolWatcher::run() {
  if (c_.stop.waitFor(c_.timing.seconds(10))) return;
  while (!c_.stop.isSet()) {
    runPass();
    c_.stop.waitFor(c_.timing.tick);
  }
}

void SpoolWatcher::runPass() {
  int error = 0;
  const auto entries = listFolder(c_.paths.send, ".inf", error);
  if (!entries) return;
  std::string oldest;
  auto oldestTime = std::chrono::nanoseconds::max();
  for (const auto& entry : *entries) {
    if (entry.isDirectory) {
      c_.log.write(entry.name + " is a directory.");
      continue;
    }
    const auto created = creationTime(joinPath(c_.paths.send, entry.name));
    if (oldest.empty() || created < oldestTime) {
      oldest = entry.name;
      oldestTime = created;
    }
  }
  if (oldest.empty()) return;

  const std::string path = joinPath(c_.paths.send, oldest);
  std::optional<std::string> text;
  {
    const ExclusiveOpen file = openExclusive(path, kRequestOpenAttempts, c_.timing, c_.stop);
    if (file.fd.valid()) text = platform::readAll(file.fd.get());
    if (!text) {
      c_.log.write(path + " cannot be read.");
      // A file that is only busy is waited for, and one taken away meanwhile is
      // gone; one that cannot be read at all would otherwise hold the spool for
      // ever, so it counts as a failure.
      if (!file.fd.valid() && (file.error == 0 || file.error == ENOENT)) return;
      handleInvalid(oldest, path, 0);
      return;
    }
  }
  const RequestCheck check = checkRequest(*text);
  if (!check.accepted()) {
    c_.log.write(oldest + check.message);
    handleInvalid(oldest, path, check.code);
    return;
  }
  failures_ = 0;
  accept(oldest, path, check.request);
}

void SpoolWatcher::handleInvalid(const std::string& name, const std::string& path, int code) {
  if (code == -10) c_.stop.waitFor(c_.timing.tick);
  if (++failures_ < kFailuresBeforeSetAside) {
    c_.stop.waitFor(c_.timing.tick);
    return;
  }
  const std::string dateFolder = joinPath(c_.paths.send, localTimeText("%Y%m%d"));
  platform::createFolder(dateFolder);
  const int error = moveFileReplacing(path, joinPath(dateFolder, name + ".err"));
  if (error == 0) {
    failures_ = 0;
    c_.log.write(name + ": File moved to " + name + ".err");
    return;
  }
  c_.log.writeSystemError(name + ": MoveFileEx() failed. ", error);
  if (::unlink(path.c_str()) != 0) {
    c_.log.writeSystemError(name + ": DeleteFile() failed. ", errno);
  } else {
    failures_ = 0;
  }
}

void SpoolWatcher::accept(const std::string& name, const std::string& path, const FaxRequest& request) {
  const std::string date = localTimeText("%Y%m%d");
  const std::string dateFolder = joinPath(c_.paths.send, date);
  platform::createFolderTree(dateFolder);
  if (const int error = moveFileReplacing(path, joinPath(dateFolder, name)); error != 0) {
    c_.log.writeSystemError(name + ": MoveFileEx() failed: ", error);
    ::unlink(path.c_str());
  }
  moveDocuments(name, request, dateFolder);

  const std::string resultPath = c_.paths.resultFile(request.fod);
  createResultFile(resultPath, {request.sender, request.receivers, request.title, date, request.fileCount,
                                request.fileName, localTimeText("%Y-%m-%d %H:%M:%S"), request.fod,
                                request.country});

  // The documents as found in the archive decide, whatever the moves reported.
  int state = kStateRejected;
  if (const std::uint64_t total = totalSize(request, dateFolder); total != 0) {
    SendJob job;
    job.number = nextJob_++;
    job.totalSize = total;
    job.sender = request.sender;
    job.receivers = request.receivers;
    job.country = request.country;
    job.title = request.title;
    job.date = date;
    job.documents = request.documents;
    job.fod = request.fod;
    c_.jobs.push(std::move(job));
    state = kStateQueued;
  } else {
    c_.log.write(name + ": Total File Length is zero");
  }
  writeResultValue(resultPath, "intState", state);
  if (state == kStateRejected) {
    writeResultValue(resultPath, "ResultCode", kResultRejected);
    moveFileReplacing(resultPath, joinPath(dateFolder, request.fod + ".rlt"));
  }
}

void SpoolWatcher::moveDocuments(const std::string& requestName, const FaxRequest& request,
                                 const std::string& dateFolder) {
  for (const auto& document : request.documents) moveDocument(requestName, document, dateFolder);
}

void SpoolWatcher::moveDocument(const std::string& requestName, const std::string& document,
                                const std::string& dateFolder) {
  if (!isSafeFileName(document)) {
    c_.log.write(requestName + ": " + document + " is not a plain file name; refused.");
    return;
  }
  const std::string source = joinPath(c_.paths.send, document);
  const std::string archived = joinPath(dateFolder, document);
  for (int pass = 1; pass <= kDocumentPasses; ++pass) {
    if (platform::fileExists(source)) {
      if (!openExclusive(source, kDocumentOpenAttempts, c_.timing, c_.stop).fd.valid()) {
        c_.log.write(source + " cannot be read.");
        return;
      }
      if (fileLength(source, c_.log) != 0 && moveFileReplacing(source, archived) != 0) {
        c_.log.write(source + " cannot be moved.");
      }
      return;
    }
    if (platform::fileExists(archived)) {
      fileLength(archived, c_.log);  // logs an empty or unreadable document
      return;
    }
    c_.log.write(requestName + ": " + document + " does not exist.");
    if (pass < kDocumentPasses && c_.stop.waitFor(c_.timing.tick)) return;
  }
}

std::uint64_t SpoolWatcher::totalSize(const FaxRequest& request, const std::string& dateFolder) const {
  if (request.documents.size() < static_cast<std::size_t>(request.fileCount)) return 0;
  std::uint64_t total = 0;
  for (const auto& document : request.documents) {
    struct stat st {};
    if (isSafeFileName(document) && ::lstat(joinPath(dateFolder, document).c_str(), &st) == 0 &&
        S_ISREG(st.st_mode)) {
      total += static_cast<std::uint64_t>(st.st_size);
    }
  }
  return total;
}

}  // namespace ostrel::fax
