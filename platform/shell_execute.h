#pragma once
// Starting programs the way the shell's "execute" did on Windows: a program and
// one parameter string, split as a Windows program splits its command line,
// started detached (its own process group, stdin from /dev/null, never a zombie
// left behind, the caller never waits for it to end). Documents, folders and
// URLs are opened with xdg-open.
//
// Every call is safe from any thread: the children run only async-signal-safe
// code between fork and exec.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::platform {

// Splits a parameter string into arguments as the Windows C runtime does:
// blanks (space, tab) separate arguments; double quotes group blanks into one
// argument and may start or end in the middle of one; inside quotes "" is a
// literal quote; 2n backslashes before a quote become n backslashes and the
// quote groups, 2n+1 backslashes become n backslashes and a literal quote;
// backslashes before anything else stay as they are.
std::vector<std::string> splitCommandLine(std::string_view text);

// The full path of an executable file of that name in an absolute folder of
// $PATH, searched in order; empty when there is none.
std::string findOnPath(std::string_view name);

// What became of a program started detached.
struct Started {
  enum class State {
    NotStarted,    // not found, not executable, or the system refused; see reason
    Running,       // started (and, when waited for, still running at the deadline)
    Exited,        // ended within the wait; see exitCode
  };
  State state = State::NotStarted;
  int exitCode = 0;    // 128 + the signal for a program ended by one
  std::string reason;  // why it did not start
  explicit operator bool() const { return state != State::NotStarted; }
};

// Starts `program` (a path, or a bare name looked up on $PATH) with the
// arguments, detached. Returns as soon as the program runs (or could not be
// started). With `patience`, also waits up to that long for the program to end,
// to learn its exit code; a program still running then is left to run. With
// `input`, the program's stdin is a pipe that holds that text and then ends
// (for secrets that must not show in its command line or environment; at most
// a pipe's buffer, 64 KiB).
Started startDetached(const std::string& program, const std::vector<std::string>& arguments,
                      std::optional<std::chrono::milliseconds> patience = std::nullopt,
                      std::optional<std::string_view> input = std::nullopt);

// The shell's "execute" of `file` with a parameter string: a program is started
// with the split parameters; a document, folder or URL is handed to xdg-open,
// which takes no parameters.
Started shellExecute(const std::string& file, std::string_view parameters);

// Runs a program to its end and returns what it wrote to stdout, or nullopt when
// it did not start, failed, or was still running at the deadline (it is then
// killed). stdin is /dev/null and stderr is dropped. For short queries only.
std::optional<std::string> captureOutput(const std::string& program, const std::vector<std::string>& arguments,
                                         std::chrono::milliseconds deadline);

}  // namespace ostrel::platform
