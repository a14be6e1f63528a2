#include "platform/staged_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/text.h"

namespace ostrel::platform {

namespace {

constexpr std::string_view kStagingMark = ".ostrel-";
constexpr std::size_t kRandomLetters = 6;
constexpr std::string_view kLetters = "abcdefghijklmnopqrstuvwxyz0123456789";

// The file's name, cut so that its staging name still fits the file system's
// limit (at a character boundary, so the cut never leaves half a UTF-8
// sequence): a name near the limit must not fail only for its staging name.
std::string_view stagingStem(std::string_view name) {
  const std::size_t room = NAME_MAX - 1 - kStagingMark.size() - kRandomLetters;
  if (name.size() <= room) return name;
  std::size_t end = room;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

bool isStagingName(std::string_view name) {
  if (name.size() < 2 + kStagingMark.size() + kRandomLetters || name.front() != '.') return false;
  const std::string_view letters = name.substr(name.size() - kRandomLetters);
  return name.substr(name.size() - kRandomLetters - kStagingMark.size(), kStagingMark.size()) == kStagingMark &&
         letters.find_first_not_of(kLetters) == std::string_view::npos;
}

std::string randomLetters() {
  static std::atomic<std::uint64_t> counter{0};
  std::uint64_t bits = static_cast<std::uint64_t>(::getpid()) << 32 ^
                       static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                       counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
  bits ^= bits >> 31;
  bits *= 0xBF58476D1CE4E5B9ull;
  bits ^= bits >> 29;
  std::string letters;
  for (std::size_t i = 0; i < kRandomLetters; ++i, bits /= kLetters.size()) {
    letters += kLetters[bits % kLetters.size()];
  }
  return letters;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether path still names the file open at fd.
bool stillNamed(int fd, const std::string& path) {
  struct stat held {}, named {};
  return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && sameFile(held, named);
}

// Creates the temporary file and locks it. A clean-up in another process may
// remove the file in the moment between its creation and its lock; it is then
// made again under a new name. A file system that takes no locks leaves the
// file unlocked, and its clean-ups remove nothing.
UniqueFd createLocked(const std::string& folder, std::string_view stem, mode_t mode, std::string& temporary,
                      int& error) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder + "." + std::string(stem) + std::string(kStagingMark) + randomLetters();
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!fd.valid()) {
      if (errno == EEXIST) continue;
      error = errno;
      return {};
    }
    while (::flock(fd.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    if (stillNamed(fd.get(), temporary)) return fd;
  }
  error = EEXIST;
  return {};
}

// Where a symbolic link points, link by link, also when no file is there yet (a
// damaged profile in a synced folder is set aside before it is restored).
std::string followLinks(const std::string& path) {
  namespace fs = std::filesystem;
  fs::path current(path);
  std::error_code error;
  for (int depth = 0; depth < 40 && fs::is_symlink(current, error); ++depth) {
    const fs::path target = fs::read_symlink(current, error);
    if (error) break;
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return current.string();
}

}  // namespace

StagedFile::StagedFile(const std::string& path, unsigned newFileMode, Flush flush)
    : target_(followLinks(path)), flush_(flush) {
  const std::size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string_view name = std::string_view(target_).substr(folder.size());
  if (name.empty()) {
    error_ = EISDIR;
    return;
  }
  struct stat existing {};
  keepMode_ = ::stat(target_.c_str(), &existing) == 0;
  mode_ = keepMode_ ? existing.st_mode & 07777 : newFileMode;
  // A file that replaces another stays private until it takes that one's permissions.
  const mode_t createMode = keepMode_ ? S_IRUSR | S_IWUSR : static_cast<mode_t>(newFileMode);
  lock_ = createLocked(folder, stagingStem(name), createMode, temporary_, error_);
  if (!lock_.valid()) temporary_.clear();
}

StagedFile::~StagedFile() {
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

int StagedFile::commit() {
  if (error_ != 0 || committed_) return error_;
  if (keepMode_ && ::fchmod(lock_.get(), static_cast<mode_t>(mode_)) != 0) return errno;
  if (flush_ == Flush::beforeRename && ::fsync(lock_.get()) != 0) return errno;
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) return errno;
  committed_ = true;
  lock_.reset();
  return 0;
}

bool replaceFileAtomically(const std::string& path, std::string_view bytes, unsigned newFileMode, Flush flush) {
  StagedFile staged(path, newFileMode, flush);
  if (!staged.ok()) return false;
  UniqueFd out(::open(staged.temporaryPath().c_str(), O_WRONLY | O_CLOEXEC));
  if (!out.valid() || writeAll(out.get(), bytes) != 0 || out.close() != 0) return false;
  return staged.commit() == 0;
}

std::vector<std::string> removeAbandonedStagingFiles(const std::string& folder) {
  std::vector<std::string> removed;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return removed;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (!isStagingName(entry->d_name)) continue;
    const std::string path = joinPath(folder, entry->d_name);
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat held {};
    if (!fd.valid() || ::fstat(fd.get(), &held) != 0 || !S_ISREG(held.st_mode)) continue;
    // Taking the lock proves that no writer holds it; the name must still be
    // that file, not one a live writer made under it meanwhile.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 || !stillNamed(fd.get(), path)) continue;
    if (::unlink(path.c_str()) == 0) removed.push_back(path);
  }
  return removed;
}

}  // namespace ostrel::platform
