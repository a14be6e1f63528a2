#include "platform/manager_channel.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#include "platform/folder_lock.h"
#include "platform/text.h"

namespace ostrel::platform {

namespace {

constexpr std::size_t kRecordSize = 3 * sizeof(std::int32_t);

// FNV-1a, 64 bits: stable across builds and machines, which a socket name that
// two processes must agree on needs.
std::uint64_t nameHash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// A private folder in /tmp: ours, a real folder, and closed to everyone else.
bool isPrivateFolder(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
         (st.st_mode & 077) == 0;
}

std::optional<sockaddr_un> socketAddress(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

// A datagram socket connected to the manager at the path, or -1.
int connectToSocket(const std::string& path) {
  const auto address = socketAddress(path);
  if (!address) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int connectToManager(std::string_view scannerName) { return connectToSocket(managerSocketPath(scannerName)); }

constexpr const char* kSocketPrefix = "ostrel-obx-";
constexpr const char* kSocketSuffix = ".sock";

// When a manager bound its socket, then its path: the order managers started in.
struct StartOrder {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
  std::string path;
  auto operator<=>(const StartOrder&) const = default;
};

// The start order of the live manager at the path; nullopt for a stale file.
std::optional<StartOrder> liveManagerAt(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return std::nullopt;
  const int fd = connectToSocket(path);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  return StartOrder{st.st_mtim.tv_sec, st.st_mtim.tv_nsec, path};
}

}  // namespace

std::string managerSocketFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    std::string folder = runtime;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
  }
  const std::string folder = "/tmp/ostrel-" + std::to_string(::getuid());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return isPrivateFolder(folder) ? folder : std::string();
}

std::string managerSocketPath(std::string_view scannerName) {
  const std::string folder = managerSocketFolder();
  if (folder.empty()) return {};
  char name[48];
  std::snprintf(name, sizeof name, "%s%016llx%s", kSocketPrefix,
                static_cast<unsigned long long>(nameHash(scannerName)), kSocketSuffix);
  return joinPath(folder, name);
}

int managerRank(std::string_view scannerName) {
  const std::string folder = managerSocketFolder();
  if (folder.empty()) return 0;
  const std::string own = managerSocketPath(scannerName);
  const auto ownOrder = liveManagerAt(own);
  const std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(folder.c_str()), ::closedir);
  if (!listing) return 0;
  int rank = 0;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(kSocketPrefix) || !name.ends_with(kSocketSuffix)) continue;
    const std::string path = joinPath(folder, name);
    if (path == own) continue;
    const auto order = liveManagerAt(path);
    if (order && (!ownOrder || *order < *ownOrder)) ++rank;
  }
  return rank;
}

std::string managerStatePath(std::string_view scannerName) {
  const std::string socket = managerSocketPath(scannerName);
  return socket.empty() ? std::string() : socket + ".state";
}

bool findManager(std::string_view scannerName) {
  const int fd = connectToManager(scannerName);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

PostResult postToManager(std::string_view scannerName, const ManagerRecord& record) {
  const int fd = connectToManager(scannerName);
  if (fd < 0) return PostResult::NoManager;
  const std::int32_t wire[3] = {record.message, record.first, record.second};
  ssize_t sent = 0;
  do {
    // A full queue means the manager is behind; giving up beats hanging here.
    sent = ::send(fd, wire, kRecordSize, MSG_DONTWAIT | MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  const int error = errno;
  ::close(fd);
  if (sent == static_cast<ssize_t>(kRecordSize)) return PostResult::Delivered;
  return sent < 0 && (error == EAGAIN || error == EWOULDBLOCK) ? PostResult::Busy : PostResult::NoManager;
}

ManagerListener ManagerListener::listen(std::string_view scannerName) {
  ManagerListener listener;
  const std::string path = managerSocketPath(scannerName);
  const auto address = socketAddress(path);
  if (!address) {
    listener.error_ = path.empty() ? "no private folder for the manager socket"
                                   : "manager socket path too long: " + path;
    return listener;
  }
  // Copies that start together take turns: between one copy's search and its
  // bind, another could otherwise remove a socket just bound and leave that
  // manager running where no copy can reach it.
  const FolderLock claiming(folderOf(path));
  if (findManager(scannerName)) {
    listener.state_ = State::ManagerRunning;
    return listener;
  }
  listener.fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (listener.fd_ < 0) {
    listener.error_ = std::string("socket: ") + std::strerror(errno);
    return listener;
  }
  // Nothing answered, so a socket file still there was left by a manager that died.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) ::unlink(path.c_str());
  if (::bind(listener.fd_, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    listener.error_ = "bind " + path + ": " + std::strerror(errno);
    listener.close();
    return listener;
  }
  if (::stat(path.c_str(), &st) == 0) {
    listener.device_ = st.st_dev;
    listener.inode_ = st.st_ino;
  }
  listener.path_ = path;
  listener.state_ = State::Listening;
  return listener;
}

ManagerListener::ManagerListener(ManagerListener&& other) noexcept
    : state_(other.state_),
      error_(std::move(other.error_)),
      fd_(std::exchange(other.fd_, -1)),
      path_(std::move(other.path_)),
      device_(other.device_),
      inode_(other.inode_),
      dropped_(std::exchange(other.dropped_, 0)) {
  other.path_.clear();
  other.state_ = State::Failed;
}

ManagerListener& ManagerListener::operator=(ManagerListener&& other) noexcept {
  if (this != &other) {
    close();
    state_ = std::exchange(other.state_, State::Failed);
    error_ = std::move(other.error_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::exchange(other.path_, {});
    device_ = other.device_;
    inode_ = other.inode_;
    dropped_ = std::exchange(other.dropped_, 0);
  }
  return *this;
}

ManagerListener::~ManagerListener() { close(); }

void ManagerListener::close() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!path_.empty()) {
    // A manager that took over a socket we thought lost keeps its file.
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0 && st.st_dev == device_ && st.st_ino == inode_) {
      ::unlink(path_.c_str());
    }
    path_.clear();
  }
}

std::optional<ManagerRecord> ManagerListener::receive() {
  if (fd_ < 0) return std::nullopt;
  for (;;) {
    std::int32_t wire[4] = {};
    const ssize_t n = ::recv(fd_, wire, sizeof wire, MSG_DONTWAIT | MSG_TRUNC);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == static_cast<ssize_t>(kRecordSize)) return ManagerRecord{wire[0], wire[1], wire[2]};
    ++dropped_;
  }
}

}  // namespace ostrel::platform
