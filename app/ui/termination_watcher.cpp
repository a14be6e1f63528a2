#include "app/ui/termination_watcher.h"

namespace ostrel {

TerminationWatcher::TerminationWatcher(TerminationSignals& caught, QObject* parent)
    : QObject(parent), signals_(caught) {
  if (signals_.fd() < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(signals_.fd(), QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    if (const int signal = signals_.take()) emit terminationRequested(signal);
  });
}

}  // namespace ostrel
