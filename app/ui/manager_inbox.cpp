#include "app/ui/manager_inbox.h"

#include <string>

#include "platform/activity_log.h"

namespace ostrel {

ManagerInbox::ManagerInbox(platform::ManagerListener listener, QObject* parent)
    : QObject(parent), listener_(std::move(listener)) {
  if (listener_.fd() < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(listener_.fd(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    while (const auto record = listener_.receive()) emit received(*record);
    if (const std::size_t dropped = listener_.takeDropped(); dropped > 0) {
      Log("Ostrel ignored a message it does not know: " + std::to_string(dropped) +
          " datagram(s) of the wrong size.");
    }
  });
}

}  // namespace ostrel
