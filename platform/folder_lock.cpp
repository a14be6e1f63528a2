#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace ostrel::platform {

FolderLock::FolderLock(const std::string& folder) {
  fd_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ >= 0) {
    while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

namespace {

// Creates a new file beside the target under a name nobody else uses. The mode
// goes through open() so the kernel applies the umask: reading the umask by
// setting it would race with files that other threads create meanwhile.
int createTemporary(const std::string& folder, std::string_view name, mode_t mode, std::string& temp) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static constexpr std::size_t kSuffix = 6;
  // "." + name + "." + suffix must still be a valid file name.
  name = name.substr(0, std::min<std::size_t>(name.size(), NAME_MAX - 2 - kSuffix));
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t seed = static_cast<std::uint64_t>(::getpid()) << 32 ^
                       static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t bits = seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    bits ^= bits >> 31;
    bits *= 0xBF58476D1CE4E5B9ull;
    bits ^= bits >> 29;
    temp = folder + "." + std::string(name) + ".";
    for (std::size_t i = 0; i < kSuffix; ++i, bits /= 36) temp += kLetters[bits % 36];
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A file reached through a symbolic link (a profile kept in a synced folder,
// say) is replaced where it lives; replacing the link would cut it off.
std::string followLinks(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const std::filesystem::path target = std::filesystem::canonical(path, error);
  return error ? path : target.string();
}

}  // namespace

bool replaceFileAtomically(const std::string& requested, std::string_view text, unsigned newFileMode) {
  const std::string path = followLinks(requested);
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return false;

  struct stat existing {};
  const bool replacing = ::stat(path.c_str(), &existing) == 0;
  std::string temp;
  const int fd =
      createTemporary(folder, name, replacing ? S_IRUSR | S_IWUSR : static_cast<mode_t>(newFileMode), temp);
  if (fd < 0) return false;
  bool ok = !replacing || ::fchmod(fd, existing.st_mode & 07777) == 0;
  std::size_t written = 0;
  while (ok && written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else written += static_cast<std::size_t>(n);
  }
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace ostrel::platform
