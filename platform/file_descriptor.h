#pragma once
// An owned file descriptor, the loops that read everything from a descriptor
// and write a whole buffer to one past short writes and signals.
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ostrel::platform {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // Closes now: 0, or the error close() reports (a network file system reports
  // a failed write here).
  int close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0 ? 0 : errno;
  }

 private:
  int fd_ = -1;
};

// Everything from the descriptor's position to its end; nullopt on a read error.
std::optional<std::string> readAll(int fd);
// A file's bytes; nullopt when it cannot be opened or read.
std::optional<std::string> readFile(const std::string& path);

// 0 once every byte is written; else the error number (ENOSPC when the file
// takes no more bytes without saying why). Bytes before the failure may be in.
int writeAll(int fd, const void* data, std::size_t size);
inline int writeAll(int fd, std::string_view bytes) { return writeAll(fd, bytes.data(), bytes.size()); }

}  // namespace ostrel::platform
