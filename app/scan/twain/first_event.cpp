#include "app/scan/twain/first_event.h"

#include <thread>

namespace ostrel {

using namespace twain;

namespace {

constexpr auto kPollPause = std::chrono::milliseconds(10);

}  // namespace

FirstEvent WaitForFirstEvent(TwainManager& manager, TwainDataSource& source, const std::function<bool()>& pump,
                             std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    TW_EVENT event{nullptr, MSG_NULL};
    if (manager.Call(&source.Identity(), DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) == TWRC_DSEVENT) {
      if (event.TWMessage == MSG_XFERREADY) return FirstEvent::TransferReady;
      if (event.TWMessage == MSG_CLOSEDSREQ || event.TWMessage == MSG_CLOSEDSOK) return FirstEvent::CloseRequest;
      continue;
    }
    if (std::chrono::steady_clock::now() >= deadline) return FirstEvent::Silent;
    if (pump && !pump()) return FirstEvent::Stopped;
    std::this_thread::sleep_for(kPollPause);
  }
}

}  // namespace ostrel
