#include "faxsvc/diagnostic_log.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

#include "faxsvc/format.h"
#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel::fax {

namespace {

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Messages carry outside text: names and fields from the server, values from
// request files. Escaped, a line break in it cannot start a log line of the
// sender's choosing; backslashes are doubled so that an escape cannot be
// mistaken for text that merely looks like one.
void appendEscaped(std::string& line, std::string_view message) {
  for (const char c : message) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': line += "\\\\"; break;
      case '\r': line += "\\r"; break;
      case '\n': line += "\\n"; break;
      case '\t': line += "\\t"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          line += format("\\x%02x", byte);
        } else {
          line += c;
        }
    }
  }
}

}  // namespace

void DiagnosticLog::configure(const std::string& programDirectory, bool enabled) {
  std::lock_guard lock(mutex_);
  file_.reset();
  openPath_.clear();
  folder_ = platform::joinPath(programDirectory, "Log");
  enabled_ = enabled;
}

void DiagnosticLog::write(std::string_view message) {
  std::lock_guard lock(mutex_);
  if (!enabled_) return;
  const std::time_t now = clock_ ? clock_() : std::time(nullptr);
  platform::createFolder(folder_);
  const std::string path = platform::joinPath(folder_, "fax_" + localTimeText("%Y%m%d", now) + ".log");
  // A handle left from another day (or a file removed under us) is replaced, so
  // the first line after midnight starts the new day's file.
  if (path != openPath_ || !platform::fileExists(path)) {
    file_ = platform::UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
    openPath_ = file_.valid() ? path : std::string();
  }
  if (!file_.valid()) return;
  std::string line = localTimeText("%Y-%m-%d %H:%M:%S", now);
  line += " - ";
  appendEscaped(line, message);
  line += "\r\n";
  writeAll(file_.get(), line);
}

void DiagnosticLog::writeSystemError(std::string_view message, int error) {
  const std::string text(message);
  char buffer[1024];
  const char* description = error != 0 ? ::strerror_r(error, buffer, sizeof buffer) : nullptr;
  if (description && *description) {
    write(format("%s - error code: %u - %s", text.c_str(), static_cast<unsigned>(error), description));
  } else {
    write(format("%s - error code: %u", text.c_str(), static_cast<unsigned>(error)));
  }
}

void DiagnosticLog::setClock(std::function<std::time_t()> clock) {
  std::lock_guard lock(mutex_);
  clock_ = std::move(clock);
}

void DiagnosticLog::close() {
  std::lock_guard lock(mutex_);
  file_.reset();
  openPath_.clear();
}

bool outputToFile(const std::string& path, std::string_view bytes) {
  static std::mutex appendLock;  // process-wide, as the spool writers share it
  std::lock_guard lock(appendLock);
  const platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666));
  return fd.valid() && writeAll(fd.get(), bytes);
}

}  // namespace ostrel::fax
