#pragma once
// Uploads run here, one after the other on a thread of their own, so neither
// the scan job nor the panel ever waits on a network: the scanner is free for
// the next press while the last press's files are still on their way.
//
// The queue ends with its owner, at the manager's exit: the task in hand is
// asked to stop (its stop token is set, which cuts a transfer short within a
// second or so) and waited for, and every task still queued is then run once
// with the token already set, so it can say what it did not do.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>

namespace ostrel {

class UploadQueue {
 public:
  using Task = std::function<void(std::stop_token)>;

  UploadQueue() = default;
  ~UploadQueue();
  UploadQueue(const UploadQueue&) = delete;
  UploadQueue& operator=(const UploadQueue&) = delete;

  // Queues the task and returns at once. The thread starts with the first task,
  // so a copy of the program that only forwards a button press has none.
  void add(Task task);

  // True once every task added so far has run; false when the time ran out.
  bool waitUntilIdle(std::chrono::milliseconds timeout);

 private:
  void work(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<Task> tasks_;
  bool running_ = false;  // a task is in hand
  std::jthread worker_;   // last: it uses the members above
};

}  // namespace ostrel
