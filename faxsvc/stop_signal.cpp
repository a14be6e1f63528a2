#include "faxsvc/stop_signal.h"

#include <poll.h>
#include <sys/eventfd.h>

#include <algorithm>
#include <cstdint>

namespace ostrel::fax {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StopSignal::set() {
  set_.store(true);
  if (fd_.valid()) {
    const std::uint64_t one = 1;
    // Nothing ever reads the counter, so the descriptor stays readable.
    [[maybe_unused]] const ssize_t n = ::write(fd_.get(), &one, sizeof one);
  }
}

bool StopSignal::waitFor(std::chrono::milliseconds duration) const {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + duration;
  while (!isSet()) {
    // Rounded up: poll counts whole milliseconds, and a pause must not end early.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    if (fd_.valid()) {
      pollfd entry{fd_.get(), POLLIN, 0};
      ::poll(&entry, 1, static_cast<int>(std::min<std::int64_t>(left.count(), 1'000'000)));
    } else {
      ::poll(nullptr, 0, static_cast<int>(std::min<std::int64_t>(left.count(), 50)));
    }
  }
  return true;
}

}  // namespace ostrel::fax
