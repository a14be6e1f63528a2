#pragma once
// A private X server (Xvfb) for a test, on the first free display number, ended
// with the object. Ready once started() is true; display() is what DISPLAY takes.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/shell_execute.h"
#include "platform/file_descriptor.h"

extern char** environ;

namespace ostrel::testing {

class XDisplay {
 public:
  XDisplay() {
    const std::string server = platform::findOnPath("Xvfb");
    int ends[2];
    if (server.empty() || ::pipe2(ends, O_CLOEXEC) != 0) return;
    platform::UniqueFd readEnd(ends[0]), writeEnd(ends[1]);
    // Xvfb writes its display number to descriptor 3 once it accepts clients.
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 3);
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // -noreset: a server that resets when its last client leaves refuses the
    // next one for a moment.
    std::string arguments[] = {server, "-displayfd", "3", "-nolisten", "tcp", "-noreset", "-screen", "0", "1024x768x24"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&pid_, server.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    writeEnd.reset();
    if (spawned != 0) {
      pid_ = -1;
      return;
    }
    std::string number;
    char c = 0;
    while (::read(readEnd.get(), &c, 1) == 1 && c != '\n') number += c;
    if (!number.empty()) display_ = ":" + number;
  }
  ~XDisplay() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  bool started() const { return !display_.empty(); }
  const std::string& display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace ostrel::testing
