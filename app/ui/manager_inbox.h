#pragma once
// The manager's end of the manager socket on the panel's thread: every record
// another copy of the program posts arrives as received().
#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "platform/manager_channel.h"

namespace ostrel {

class ManagerInbox : public QObject {
  Q_OBJECT

 public:
  explicit ManagerInbox(platform::ManagerListener listener, QObject* parent = nullptr);

 signals:
  void received(const ostrel::platform::ManagerRecord& record);

 private:
  platform::ManagerListener listener_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ostrel
