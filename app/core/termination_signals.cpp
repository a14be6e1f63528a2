#include "app/core/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace ostrel {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end for the handler; -1 while no object is installed.
volatile sig_atomic_t writeEnd = -1;

// The byte written is the signal's number, so the log can say which one came.
void onSignal(int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
  if (writeEnd >= 0) [[maybe_unused]]
    const ssize_t ignored = ::write(writeEnd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int ends[2];
  if (writeEnd >= 0 || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = ends[0];
  writeEnd = ends[1];
  struct sigaction action {};
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  ::sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (readEnd_ < 0) return;
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
  ::close(writeEnd);
  writeEnd = -1;
  ::close(readEnd_);
}

std::string signalName(int signal) {
  switch (signal) {
    case SIGTERM: return "SIGTERM";
    case SIGINT: return "SIGINT";
    case SIGHUP: return "SIGHUP";
    default: return "signal " + std::to_string(signal);
  }
}

int TerminationSignals::take() {
  int last = 0;
  unsigned char buffer[16];
  ssize_t count = 0;
  while (readEnd_ >= 0 && (count = ::read(readEnd_, buffer, sizeof buffer)) > 0) last = buffer[count - 1];
  return last;
}

}  // namespace ostrel
