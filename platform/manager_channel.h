#pragma once
// Finding and messaging the running manager of a scanner, standing in for a
// window search and a posted window message. Each manager listens on a Unix
// datagram socket whose file name is derived from its scanner name, in
// $XDG_RUNTIME_DIR (else /tmp/ostrel-<uid>/, created 0700). "Find" is a connect,
// so a socket file left by a manager that died is not a manager; "post" sends
// one fixed-size record and does not wait for it to be handled.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ostrel::platform {

// One posted message: the message number and its two parameters.
struct ManagerRecord {
  std::int32_t message = 0;
  std::int32_t first = 0;
  std::int32_t second = 0;
  bool operator==(const ManagerRecord&) const = default;
};

// The folder of the sockets; empty when no safe folder can be had (a /tmp
// folder that is not ours, or not private, is refused).
std::string managerSocketFolder();

// The socket's full path. The scanner name may hold any character, so the file
// name is a hash of it: no name can reach outside the folder or overflow the
// socket address.
std::string managerSocketPath(std::string_view scannerName);

// Beside the socket, what the manager shows a button daemon's action of its
// state (app/core/manager_state_file.h); empty without a socket folder.
std::string managerStatePath(std::string_view scannerName);

// True when a live manager of the scanner answers.
bool findManager(std::string_view scannerName);

enum class PostResult {
  Delivered,
  Busy,       // the manager answers, but its queue is full: it has not caught up yet
  NoManager,  // nothing listens for the scanner
};

// Sends one record to the scanner's manager without waiting.
PostResult postToManager(std::string_view scannerName, const ManagerRecord& record);

// How many running managers of other scanners started before this scanner's
// manager (all of them when it runs none): its place in the row of panels.
// Managers bound within the same clock tick are ordered by socket name, so
// every manager reckons the same order.
int managerRank(std::string_view scannerName);

// The manager's end: binds the scanner's socket for the life of the object and
// removes the socket file again when done (only while it is still its own).
class ManagerListener {
 public:
  enum class State { Listening, ManagerRunning, Failed };

  // Binds the socket. A socket file of a manager that no longer answers is
  // replaced; one whose manager answers is left alone (state ManagerRunning).
  static ManagerListener listen(std::string_view scannerName);

  ManagerListener(ManagerListener&& other) noexcept;
  ManagerListener& operator=(ManagerListener&& other) noexcept;
  ManagerListener(const ManagerListener&) = delete;
  ManagerListener& operator=(const ManagerListener&) = delete;
  ~ManagerListener();

  State state() const { return state_; }
  // Why listening failed, for the log.
  const std::string& error() const { return error_; }
  // The non-blocking socket to watch for reading; -1 unless listening.
  int fd() const { return fd_; }

  // The next waiting record; nullopt when none is waiting. Datagrams of any
  // other size are dropped and counted.
  std::optional<ManagerRecord> receive();
  // How many datagrams were dropped since the last call, for the log.
  std::size_t takeDropped() { return std::exchange(dropped_, 0); }

 private:
  ManagerListener() = default;
  void close();

  State state_ = State::Failed;
  std::string error_;
  int fd_ = -1;
  std::string path_;
  std::uint64_t device_ = 0;
  std::uint64_t inode_ = 0;
  std::size_t dropped_ = 0;
};

}  // namespace ostrel::platform
