#pragma once
// SIGTERM, SIGINT and SIGHUP (a session that logs out, a service manager, a
// terminal) as a descriptor that becomes readable, so the manager can leave
// through its normal exit and give its marker back instead of leaving a stale
// one behind. One object at a time per process: a signal handler can reach
// nothing but process-wide state.
#include <string>

namespace ostrel {

// "SIGTERM", "SIGINT" or "SIGHUP"; "signal <n>" for any other.
std::string signalName(int signal);

class TerminationSignals {
 public:
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // -1 when the signals could not be caught (they then end the process as usual).
  int fd() const { return readEnd_; }
  // Empties the descriptor; the last signal that had arrived, 0 for none.
  int take();

 private:
  int readEnd_ = -1;
};

}  // namespace ostrel
