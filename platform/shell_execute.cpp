#include "platform/shell_execute.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/environment.h"
#include "platform/text.h"
#include "platform/file_descriptor.h"

extern char** environ;

namespace ostrel::platform {

namespace {

using Clock = std::chrono::steady_clock;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// "scheme:" with a scheme of two or more characters, so "C:" stays a path.
bool isUrl(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
  });
}

// What the shell would open with its associated program rather than run.
bool isDocument(const std::string& file) {
  if (isUrl(file) || folderExists(file)) return true;
  return fileExists(file) && ::access(file.c_str(), X_OK) != 0;
}

std::string executablePath(const std::string& program) {
  return program.find('/') == std::string::npos ? findOnPath(program) : program;
}

// argv for exec: pointers into strings that outlive the call.
std::vector<char*> argumentVector(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Everything the children need, made before fork: after it they may only call
// async-signal-safe functions, so nothing is allocated there.
struct ChildPlan {
  const char* path;
  char* const* argv;
  int devNull;
  int errorWrite;   // receives errno when the program cannot be started
  int statusWrite;  // receives the wait status of the program; -1 when nobody waits for it
  int highestFd;
};

void report(int fd, int value) {
  [[maybe_unused]] const ssize_t ignored = ::write(fd, &value, sizeof value);
}

bool readValue(int fd, int& value) {
  ssize_t got = 0;
  do {
    got = ::read(fd, &value, sizeof value);
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(sizeof value);
}

[[noreturn]] void runProgram(const ChildPlan& plan) {
  // Its own process group: a Ctrl-C meant for the manager does not reach it.
  ::setpgid(0, 0);
  // The manager's signal mask and ignored signals would be inherited across exec.
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &standard, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  if (plan.devNull == STDIN_FILENO) {
    ::fcntl(STDIN_FILENO, F_SETFD, 0);
  } else if (::dup2(plan.devNull, STDIN_FILENO) < 0) {
    report(plan.errorWrite, errno);
    ::_exit(127);
  }
  // Sockets and files the manager holds are none of the program's business.
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd <= plan.highestFd; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  ::execve(plan.path, plan.argv, environ);
  report(plan.errorWrite, errno);
  ::_exit(127);
}

// Closes every descriptor from 3 up except `kept`.
void closeAllBut(int kept, int highestFd) {
  const auto closeRange = [highestFd](unsigned first, unsigned last) {
    if (first > last) return;
    if (::close_range(first, last, 0) == 0) return;
    const int lastFd = last > static_cast<unsigned>(highestFd) ? highestFd : static_cast<int>(last);
    for (int fd = static_cast<int>(first); fd <= lastFd; ++fd) ::close(fd);
  };
  closeRange(3, static_cast<unsigned>(kept) - 1);
  closeRange(static_cast<unsigned>(kept) + 1, ~0U);
}

// The first child: it starts the program and ends at once, so the program is
// nobody's child here and init reaps it. When the caller wants the exit code, a
// watcher that is itself detached sits between the two and reports it.
[[noreturn]] void runChild(const ChildPlan& plan) {
  if (plan.statusWrite >= 0) {
    const pid_t watcher = ::_Fork();
    if (watcher != 0) {
      if (watcher < 0) report(plan.errorWrite, errno);
      ::_exit(0);
    }
  }
  const pid_t program = ::_Fork();
  if (program == 0) runProgram(plan);
  if (program < 0) report(plan.errorWrite, errno);
  if (plan.statusWrite < 0 || program < 0) ::_exit(0);
  // The watcher may outlive the manager: it keeps none of its descriptors (a
  // lock held through one would outlive it too). The caller learns that the
  // program started once every copy of the error pipe is gone.
  closeAllBut(plan.statusWrite, plan.highestFd);
  int status = 0;
  while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {
  }
  report(plan.statusWrite, status);
  ::_exit(0);
}

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

bool makePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return false;
  readEnd = UniqueFd(ends[0]);
  writeEnd = UniqueFd(ends[1]);
  return true;
}

// Waits for fd to become readable until the deadline; false on timeout.
bool waitReadable(int fd, Clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd watched{fd, POLLIN, 0};
    const int ready = ::poll(&watched, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

// The pipe's buffer takes the text whole, so this never waits for the program;
// a program that ended at once must not take the caller down with SIGPIPE.
void writeInput(UniqueFd& pipe, std::string_view text) {
  sigset_t pipeSignal, previous;
  ::sigemptyset(&pipeSignal);
  ::sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  if (writeAll(pipe.get(), text) == EPIPE) {
    const timespec none{0, 0};
    ::sigtimedwait(&pipeSignal, nullptr, &none);
  }
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  pipe.reset();
}

Started notStarted(std::string reason) {
  Started result;
  result.reason = std::move(reason);
  return result;
}

// posix_spawn's attribute and file-action objects, destroyed with the call.
class SpawnSetup {
 public:
  SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions_);
    ::posix_spawnattr_init(&attributes_);
  }
  ~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attributes_);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
  posix_spawn_file_actions_t* actions() { return &actions_; }
  posix_spawnattr_t* attributes() { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
};

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view text) {
  std::vector<std::string> arguments;
  std::size_t at = 0;
  for (;;) {
    while (at < text.size() && isBlank(text[at])) ++at;
    if (at >= text.size()) break;
    std::string argument;
    bool quoted = false;
    while (at < text.size()) {
      std::size_t backslashes = 0;
      while (at < text.size() && text[at] == '\\') {
        ++backslashes;
        ++at;
      }
      bool copy = true;
      if (at < text.size() && text[at] == '"') {
        if (backslashes % 2 == 0) {
          if (quoted && at + 1 < text.size() && text[at + 1] == '"') {
            ++at;  // the second quote of "" is copied
          } else {
            copy = false;
            quoted = !quoted;
          }
        }
        backslashes /= 2;
      }
      argument.append(backslashes, '\\');
      if (at >= text.size() || (!quoted && isBlank(text[at]))) break;
      if (copy) argument += text[at];
      ++at;
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string findOnPath(std::string_view name) {
  const char* variable = std::getenv("PATH");
  const std::string_view path = variable ? variable : "";
  std::size_t begin = 0;
  while (begin <= path.size()) {
    const std::size_t end = std::min(path.find(':', begin), path.size());
    const std::string_view folder = path.substr(begin, end - begin);
    begin = end + 1;
    // An empty or relative entry would depend on the folder the manager happens
    // to run in; only absolute folders count.
    if (folder.empty() || folder.front() != '/') continue;
    const std::string candidate = joinPath(folder, name);
    if (fileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

Started startDetached(const std::string& program, const std::vector<std::string>& arguments,
                      std::optional<std::chrono::milliseconds> patience, std::optional<std::string_view> input) {
  const std::string path = executablePath(program);
  if (path.empty()) return notStarted(program + " is not found on PATH");
  if (folderExists(path)) return notStarted(path + " is a folder, not a program");

  const std::vector<char*> argv = argumentVector(program, arguments);
  UniqueFd devNull, inputWrite;
  if (input) {
    makePipe(devNull, inputWrite);
  } else {
    devNull = UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
  }
  UniqueFd errorRead, errorWrite, statusRead, statusWrite;
  if (!devNull.valid() || !makePipe(errorRead, errorWrite) || (patience && !makePipe(statusRead, statusWrite))) {
    return notStarted(std::string("no descriptors left: ") + std::strerror(errno));
  }
  rlimit files{};
  ::getrlimit(RLIMIT_NOFILE, &files);
  const ChildPlan plan{path.c_str(),      argv.data(),       devNull.get(),
                       errorWrite.get(),  statusWrite.get(),
                       static_cast<int>(std::min<rlim_t>(files.rlim_cur, 65536))};

  // No signal handler of the manager may run in a child before it execs.
  sigset_t all, previous;
  ::sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  const pid_t child = ::_Fork();
  if (child == 0) runChild(plan);
  const int forkError = errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errorWrite.reset();
  statusWrite.reset();
  devNull.reset();
  if (child < 0) return notStarted(std::string("cannot start a process: ") + std::strerror(forkError));

  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }

  int error = 0;
  if (readValue(errorRead.get(), error)) return notStarted(path + ": " + std::strerror(error));
  if (input) writeInput(inputWrite, *input);
  Started result;
  result.state = Started::State::Running;
  if (patience && waitReadable(statusRead.get(), Clock::now() + *patience) &&
      readValue(statusRead.get(), status)) {
    result.state = Started::State::Exited;
    result.exitCode = exitCodeOf(status);
  }
  return result;
}

Started shellExecute(const std::string& file, std::string_view parameters) {
  if (isDocument(file)) return startDetached("xdg-open", {file});
  return startDetached(file, splitCommandLine(parameters));
}

std::optional<std::string> captureOutput(const std::string& program, const std::vector<std::string>& arguments,
                                         std::chrono::milliseconds deadline) {
  const std::string path = executablePath(program);
  if (path.empty()) return std::nullopt;
  UniqueFd outputRead, outputWrite;
  if (!makePipe(outputRead, outputWrite)) return std::nullopt;

  SpawnSetup setup;
  ::posix_spawn_file_actions_addopen(setup.actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  ::posix_spawn_file_actions_adddup2(setup.actions(), outputWrite.get(), STDOUT_FILENO);
  ::posix_spawn_file_actions_addopen(setup.actions(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  sigset_t none, all;
  ::sigemptyset(&none);
  ::sigfillset(&all);
  ::posix_spawnattr_setsigmask(setup.attributes(), &none);
  ::posix_spawnattr_setsigdefault(setup.attributes(), &all);
  ::posix_spawnattr_setflags(setup.attributes(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const std::vector<char*> argv = argumentVector(program, arguments);
  pid_t pid = -1;
  if (::posix_spawn(&pid, path.c_str(), setup.actions(), setup.attributes(), argv.data(), environ) != 0) {
    return std::nullopt;
  }
  outputWrite.reset();

  // A query answers in a few lines; more than this is not an answer.
  constexpr std::size_t kMaxOutput = 1 << 20;
  std::string output;
  const auto until = Clock::now() + deadline;
  bool ended = false;
  while (waitReadable(outputRead.get(), until)) {
    char buffer[4096];
    const ssize_t got = ::read(outputRead.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || output.size() + static_cast<std::size_t>(got) > kMaxOutput) {
      ended = got == 0;
      break;
    }
    output.append(buffer, static_cast<std::size_t>(got));
  }
  int status = 0;
  pid_t done = 0;
  while (ended && (done = ::waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (done != pid) {
    ended = false;
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return output;
}

}  // namespace ostrel::platform
