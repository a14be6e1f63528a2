#include "app/scan/twain/first_event.h"

#include <thread>

namespace ostrel {

using namespace twain;

namespace {

constexpr auto kPollPause = std::chrono::milliseconds(10);

}  // namespace

FirstEvent WaitForFirstEvent(TwainDataSource& source, const std::stop_token& stop,
                             std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (const auto message = source.NextEvent()) {
      if (*message == MSG_XFERREADY) return FirstEvent::TransferReady;
      if (*message == MSG_CLOSEDSREQ || *message == MSG_CLOSEDSOK) return FirstEvent::CloseRequest;
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) return FirstEvent::Silent;
    if (stop.stop_requested()) return FirstEvent::Stopped;
    std::this_thread::sleep_for(kPollPause);
  }
}

}  // namespace ostrel
