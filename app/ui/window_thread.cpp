#include "app/ui/window_thread.h"

namespace ostrel {

void postToWindowThread(std::function<void()> call) {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(application, std::move(call), Qt::QueuedConnection);
  }
}

}  // namespace ostrel
