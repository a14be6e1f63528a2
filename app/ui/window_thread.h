#pragma once
// The window thread as other threads reach it: a scan job's reports are posted
// to its event loop, and what the job asks of the user is answered there while
// the job waits. The wait ends without an answer once stop is requested (the
// manager is ending), so a job never waits for a window thread that has stopped
// serving it.
#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>

namespace ostrel {

// Runs call on the window thread's event loop; dropped when there is none.
void postToWindowThread(std::function<void()> call);

// call's result from the window thread, or cancelled once stop is requested
// before it is there. On the window thread itself, call runs at once.
template <typename T>
T callOnWindowThread(const std::stop_token& stop, std::function<T()> call, T cancelled) {
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) return cancelled;
  if (QThread::currentThread() == application->thread()) return call();

  struct Answer {
    std::mutex mutex;
    std::condition_variable_any given;
    std::optional<T> value;
    bool abandoned = false;
  };
  auto answer = std::make_shared<Answer>();
  postToWindowThread([answer, call = std::move(call)] {
    {
      const std::lock_guard lock(answer->mutex);
      if (answer->abandoned) return;  // nobody waits for it any more: no dialog opens
    }
    T value = call();
    const std::lock_guard lock(answer->mutex);
    answer->value = std::move(value);
    answer->given.notify_all();
  });
  std::unique_lock lock(answer->mutex);
  if (!answer->given.wait(lock, stop, [&] { return answer->value.has_value(); })) {
    answer->abandoned = true;
    return cancelled;
  }
  return std::move(*answer->value);
}

// call's result from the window thread, waiting without a way out: for calls
// that cannot be abandoned half-way (Qt's printer lists, a print run's device).
// The window thread must not itself be waiting for the caller.
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
