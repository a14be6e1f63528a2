#include "platform/activity_log.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/environment.h"

namespace ostrel {

namespace {

// A write that fails for a passing reason (another process, a full table of open
// files) is tried again; after this many tries, or at once for a lasting reason
// such as a read-only folder, the line is dropped rather than stopping the caller.
constexpr int kWriteAttempts = 100;
constexpr auto kRetryPause = std::chrono::milliseconds(50);

bool worthRetrying(int error) {
  switch (error) {
    case EINTR:
    case EAGAIN:
    case EBUSY:
    case EMFILE:
    case ENFILE:
    case ETXTBSY:
    case ENOSPC:
    case EDQUOT:
      return true;
    default:
      return false;
  }
}

// 0 on success, else the error number.
int appendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  // One write call per line keeps lines of different processes whole.
  ssize_t written = 0;
  do {
    written = ::write(fd, line.data(), line.size());
  } while (written < 0 && errno == EINTR);
  const int error = written == static_cast<ssize_t>(line.size()) ? 0 : (written < 0 ? errno : EIO);
  ::close(fd);
  return error;
}

std::tm localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return local;
}

}  // namespace

std::string formatLogLine(const std::tm& t, long threadId, std::string_view scannerName,
                          std::string_view message) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d(%04ld) ->[", t.tm_year + 1900,
                t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, threadId);
  std::string line = stamp;
  line += scannerName;
  line += "] ";
  line += message;
  // Messages carry outside text (file names, barcodes, device names): a line
  // break in them must not end the line early or forge another one.
  std::replace_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  line += "\r\n";
  return line;
}

std::string logFileName(const std::tm& t) {
  char name[32];
  std::snprintf(name, sizeof name, "OBX-%04d-%02d.log", t.tm_year + 1900, t.tm_mon + 1);
  return name;
}

std::string ActivityLog::folder() { return platform::appDataFolder() + "/Ostrel/"; }

void ActivityLog::write(std::string_view message) const { write(message, localNow()); }

void ActivityLog::write(std::string_view message, const std::tm& localTime) const {
  const std::string dir = folder();
  platform::createFolderTree(dir);
  const std::string path = dir + logFileName(localTime);
  const std::string line =
      formatLogLine(localTime, static_cast<long>(::syscall(SYS_gettid)), scannerName_, message);
  for (int attempt = 1;; ++attempt) {
    const int error = appendLine(path, line);
    if (error == 0) return;
    if (attempt == kWriteAttempts || !worthRetrying(error)) {
      std::fprintf(stderr, "Ostrel: activity log line dropped (%s): %.*s", std::strerror(error),
                   static_cast<int>(line.size()), line.data());
      return;
    }
    std::this_thread::sleep_for(kRetryPause);
  }
}

void ActivityLog::removeOldLogs() { removeOldLogs(localNow()); }

void ActivityLog::removeOldLogs(const std::tm& today) {
  const std::string dir = folder();
  platform::createFolderTree(dir);
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (const dirent* entry = ::readdir(d)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.ends_with(".log")) names.push_back(name);
    }
    ::closedir(d);
  }
  for (const std::string& name : names) {
    const std::string stem = name.substr(0, name.size() - 4);
    int year = 0;
    if (std::sscanf(stem.c_str(), "OBX-%4d", &year) != 1) continue;
    if ((today.tm_year + 1900) - year > 0) ::unlink((dir + name).c_str());
  }
}

ActivityLog& applicationLog() {
  static ActivityLog log;
  return log;
}

void Log(std::string_view message) { applicationLog().write(message); }

}  // namespace ostrel
