#pragma once
// The stop flag shared by all workers of a running service. Every pause and every
// socket wait also watches its descriptor, so a stop wakes every worker at once
// instead of letting each finish a pause of up to ten seconds.
#include <atomic>
#include <chrono>

#include "platform/unique_fd.h"

namespace ostrel::fax {

class StopSignal {
 public:
  StopSignal();

  void set();
  bool isSet() const { return set_.load(); }

  // Pauses for the given time or until the signal is set; true when set.
  bool waitFor(std::chrono::milliseconds duration) const;

  // Readable once the signal is set (-1 if no descriptor could be made; waits
  // then fall back to short sleeps).
  int fd() const { return fd_.get(); }

 private:
  std::atomic<bool> set_{false};
  platform::UniqueFd fd_;
};

}  // namespace ostrel::fax
