#pragma once
// A real WebDAV server for the tests: rclone's, serving a private folder on
// 127.0.0.1 with a free port and Basic authentication, stopped with the object.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace ostrel::testing {

inline int freeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

inline bool portAnswers(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool answers = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return answers;
}

// The password of the served account: distinctive, so a test can look for it.
inline constexpr const char* kDavPassword = "cloud-Secret-42";

class WebDavServer {
 public:
  WebDavServer() = default;
  WebDavServer(const WebDavServer&) = delete;
  WebDavServer& operator=(const WebDavServer&) = delete;
  ~WebDavServer() { stop(); }

  // Serves root; extra: further rclone options (--bwlimit, --cert ...). An
  // empty reason means it runs.
  std::string start(const std::string& root, std::vector<std::string> extra = {}, int port = 0) {
    port_ = port ? port : freeLoopbackPort();
    std::vector<std::string> arguments{"rclone", "serve", "webdav", "--addr",
                                       "127.0.0.1:" + std::to_string(port_), "--user", "u", "--pass", kDavPassword,
                                       "--config", "/dev/null", "--log-file", root + "/../rclone.log"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    arguments.push_back(root);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid_, "rclone", nullptr, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
      return "rclone cannot be started";
    }
    for (int i = 0; i < 200; ++i) {
      if (portAnswers(port_)) return {};
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return "rclone ended at start";
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop();
    return "rclone did not listen within 10 s";
  }

  void stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  int port() const { return port_; }
  std::string url(const std::string& scheme = "http") const {
    return scheme + "://127.0.0.1:" + std::to_string(port_) + "/";
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace ostrel::testing
