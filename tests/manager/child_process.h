#pragma once
// A program of the build run as a child process, with the test's environment.
// A child still running when its object goes is terminated and reaped.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

extern char** environ;

namespace ostrel::testing {

// What a program run to its end wrote, and its exit status (nullopt when it
// did not end in time).
struct Finished {
  std::optional<int> status;
  std::string output;  // standard output
  std::string error;   // standard error
};

class ChildProcess {
 public:
  static ChildProcess start(const std::vector<std::string>& arguments,
                            const posix_spawn_file_actions_t* actions = nullptr) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], actions, nullptr, argv.data(), environ) != 0) pid = -1;
    return ChildProcess(pid);
  }

  // Runs a program to its end with its standard output and error in files.
  static Finished runCapturing(const std::vector<std::string>& arguments,
                               std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), std::fclose);
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> err(std::tmpfile(), std::fclose);
    if (!out || !err) return {};
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, ::fileno(out.get()), STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, ::fileno(err.get()), STDERR_FILENO);
    ChildProcess child = start(arguments, &actions);
    ::posix_spawn_file_actions_destroy(&actions);
    return {child.wait(timeout), readAll(out.get()), readAll(err.get())};
  }

  // Runs a program to its end; its exit status, or nullopt when it did not end in time.
  static std::optional<int> run(const std::vector<std::string>& arguments,
                                std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    ChildProcess child = start(arguments);
    return child.wait(timeout);
  }

  ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
  ChildProcess& operator=(ChildProcess&&) = delete;
  ~ChildProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }

  bool started() const { return pid_ > 0; }
  pid_t pid() const { return pid_; }
  void signal(int number) const {
    if (pid_ > 0) ::kill(pid_, number);
  }

  // The exit status once the child has ended; nullopt while it still runs.
  std::optional<int> wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (pid_ > 0) {
      int status = 0;
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}

  static std::string readAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
  }

  pid_t pid_;
};

// Polls a condition until it holds or the time is up.
template <typename Condition>
bool eventually(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

}  // namespace ostrel::testing
