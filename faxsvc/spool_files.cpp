#include "faxsvc/spool_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "faxsvc/fax_message.h"
#include "faxsvc/format.h"
#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel::fax {

namespace {

// Spool files are plain files put there by the host. A symbolic link could
// send a file from anywhere to the fax server, and reading a FIFO or a device
// could block a worker for good, so neither is opened.
constexpr int kSpoolOpenFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

bool isRegular(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  return true;
}

int copyFile(const std::string& from, const std::string& to) {
  const platform::UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return errno;
  const std::string temp = to + ".part";
  platform::UniqueFd out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!out.valid()) return errno;
  std::vector<std::uint8_t> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || (n > 0 && !writeAll(out.get(), std::span(buffer.data(), static_cast<std::size_t>(n))))) {
      const int error = errno;
      ::unlink(temp.c_str());
      return error;
    }
    if (n == 0) break;
  }
  out.reset();
  if (::rename(temp.c_str(), to.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return error;
  }
  return ::unlink(from.c_str()) == 0 ? 0 : errno;
}

}  // namespace

bool isSafeFileName(std::string_view name) {
  if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string receivedStem(std::string_view fileName) {
  while (!fileName.empty() && std::string_view(".tif").find(fileName.back()) != std::string_view::npos) {
    fileName.remove_suffix(1);
  }
  return std::string(fileName);
}

std::string receivedFaxName(std::string_view name) {
  for (const std::string_view extension : {".tif", ".tiff", ".pdf"}) {
    if (name.size() > extension.size() &&
        platform::equalsNoCase(name.substr(name.size() - extension.size()), extension)) {
      return std::string(name);
    }
  }
  return std::string(name) + ".tif";
}

ExclusiveOpen openExclusive(const std::string& path, int attempts, Timing timing, const StopSignal& stop) {
  ExclusiveOpen result;
  for (int attempt = 1; attempt <= attempts; ++attempt) {
    platform::UniqueFd fd(::open(path.c_str(), kSpoolOpenFlags | O_RDWR));
    if (!fd.valid() || !isRegular(fd.get())) {
      result.error = fd.valid() ? EINVAL : errno;
      return result;  // a missing, forbidden or special file does not get better by waiting
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) {
      result.fd = std::move(fd);
      return result;
    }
    if (attempt == attempts || stop.waitFor(timing.tick)) break;
  }
  result.error = 0;
  return result;
}

std::optional<std::string> readAll(int fd) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

std::uint64_t fileLength(const std::string& path, DiagnosticLog& log) {
  const platform::UniqueFd fd(::open(path.c_str(), kSpoolOpenFlags | O_RDONLY));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    log.write(path + " cannot be opened in GetFileLen().");
    return 0;
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size == 0 || size > kMaxMessageSize) {
    log.write(path + " - dwSize is invalid in GetFileLen().");
    return 0;
  }
  return size;
}

std::optional<std::vector<std::uint8_t>> readFileBytes(const std::string& path, std::uint64_t size) {
  const platform::UniqueFd fd(::open(path.c_str(), kSpoolOpenFlags | O_RDONLY));
  if (!fd.valid() || !isRegular(fd.get()) || size > kMaxMessageSize) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    done += static_cast<std::size_t>(n);
  }
  return bytes;
}

int moveFileReplacing(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  if (errno != EXDEV) return errno;
  return copyFile(from, to);
}

std::chrono::nanoseconds creationTime(const std::string& path) {
  struct statx st {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &st) != 0) {
    return std::chrono::nanoseconds::max();
  }
  const statx_timestamp& t = (st.stx_mask & STATX_BTIME) ? st.stx_btime : st.stx_mtime;
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

std::optional<std::vector<FolderEntry>> listFolder(const std::string& folder, std::string_view suffix,
                                                   int& error) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) {
    error = errno;
    return std::nullopt;
  }
  std::vector<FolderEntry> entries;
  errno = 0;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name.size() < suffix.size() ||
        !platform::equalsNoCase(name.substr(name.size() - suffix.size()), suffix)) {
      continue;
    }
    bool directory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) directory = platform::folderExists(platform::joinPath(folder, name));
    entries.push_back({std::string(name), directory});
  }
  error = errno;
  if (error != 0) return std::nullopt;
  return entries;
}

NewFileWriter::NewFileWriter(std::string folder, std::string sidecarSuffix)
    : folder_(std::move(folder)), sidecarSuffix_(std::move(sidecarSuffix)) {}

std::optional<std::string> NewFileWriter::write(const std::string& name, std::span<const std::uint8_t> bytes) {
  // Variants a name may get, and names remembered before the memory starts
  // over (which costs only probes).
  constexpr int kVariants = 10000;
  constexpr std::size_t kRememberedNames = 4096;
  const std::size_t dot = name.rfind('.');
  const std::string base = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
  const std::string extension = base.size() == name.size() ? std::string() : name.substr(dot);
  const auto last = lastNumbers_.find(name);
  for (int number = last == lastNumbers_.end() ? 0 : last->second + 1; number < kVariants; ++number) {
    const std::string candidate = number == 0 ? name : format("%s-%d%s", base.c_str(), number, extension.c_str());
    if (!sidecarSuffix_.empty() &&
        platform::fileExists(platform::joinPath(folder_, receivedStem(candidate) + sidecarSuffix_))) {
      continue;
    }
    const std::string path = platform::joinPath(folder_, candidate);
    platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid()) {
      if (errno == EEXIST) continue;
      return std::nullopt;
    }
    if (!writeAll(fd.get(), bytes)) {
      ::unlink(path.c_str());
      return std::nullopt;
    }
    if (lastNumbers_.size() >= kRememberedNames && last == lastNumbers_.end()) lastNumbers_.clear();
    lastNumbers_[name] = number;
    return candidate;
  }
  return std::nullopt;
}

}  // namespace ostrel::fax
