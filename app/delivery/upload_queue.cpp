#include "app/delivery/upload_queue.h"

#include <utility>

namespace ostrel {

UploadQueue::~UploadQueue() {
  if (!worker_.joinable()) return;
  worker_.request_stop();
  worker_.join();
}

void UploadQueue::add(Task task) {
  const std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
  if (!worker_.joinable()) {
    worker_ = std::jthread([this](std::stop_token stop) { work(std::move(stop)); });
  }
  changed_.notify_all();
}

bool UploadQueue::waitUntilIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return tasks_.empty() && !running_; });
}

void UploadQueue::work(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, stop, [this] { return !tasks_.empty(); });
    if (tasks_.empty()) break;  // stop requested with nothing queued
    Task task = std::move(tasks_.front());
    tasks_.pop_front();
    running_ = true;
    lock.unlock();
    task(stop);
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

}  // namespace ostrel
