#pragma once
// Termination signals on the panel's thread: terminationRequested() once the
// session, a service manager or a terminal asks the program to end. The
// signals are caught from before the manager can be found, so one that
// arrives before the panel's event loop runs waits for it.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "app/core/termination_signals.h"

namespace ostrel {

class TerminationWatcher : public QObject {
  Q_OBJECT

 public:
  explicit TerminationWatcher(TerminationSignals& caught, QObject* parent = nullptr);

 signals:
  // signal: which one came (SIGTERM, SIGINT, SIGHUP).
  void terminationRequested(int signal);

 private:
  TerminationSignals& signals_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ostrel
