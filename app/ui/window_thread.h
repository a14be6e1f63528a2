#pragma once
// Runs a call on the window thread and hands back its result: directly when the
// caller is that thread, else queued to it while the caller waits. Dialogs, and
// Qt's printer lists, belong to the window thread; the program's logic may ask
// for them from a worker. The window thread must be running its event loop and
// must not itself be waiting for that worker.
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <optional>
#include <type_traits>
#include <utility>

namespace ostrel {

template <typename Call>
std::invoke_result_t<Call&> onWindowThread(Call&& call) {
  using Result = std::invoke_result_t<Call&>;
  QCoreApplication* application = QCoreApplication::instance();
  if (!application || QThread::currentThread() == application->thread()) return call();
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(application, [&call] { call(); }, Qt::BlockingQueuedConnection);
  } else {
    std::optional<Result> result;
    QMetaObject::invokeMethod(application, [&] { result.emplace(call()); }, Qt::BlockingQueuedConnection);
    return std::move(*result);
  }
}

}  // namespace ostrel
