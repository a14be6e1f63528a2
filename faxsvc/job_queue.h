#pragma once
// The records passed between workers and the lock-guarded FIFO queues that
// carry them: SendJobs from the spool watcher to the send connection, report
// requests from the result monitor to the report connection.
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::fax {

struct SendJob {
  int number = 0;
  std::uint64_t totalSize = 0;
  std::string sender;
  std::string receivers;
  std::string country;
  std::string title;
  std::string date;                     // the archive folder, "%Y%m%d"
  std::vector<std::string> documents;   // names in the date folder
  std::string fod;
  bool convert = true;
};

struct ReportRequest {
  std::string sid;
  std::string receivers;
  std::string country;
};

template <typename T>
class LockedQueue {
 public:
  void push(T item) {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
  }

  // Appends unless an item that `same` matches is still waiting; true when appended.
  template <typename Same>
  bool pushUnlessWaiting(T item, Same same) {
    std::lock_guard lock(mutex_);
    for (const T& waiting : items_) {
      if (same(waiting, item)) return false;
    }
    items_.push_back(std::move(item));
    return true;
  }

  std::optional<T> take() {
    std::lock_guard lock(mutex_);
    if (items_.empty()) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    return item;
  }

  std::size_t size() const {
    std::lock_guard lock(mutex_);
    return items_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::deque<T> items_;
};

}  // namespace ostrel::fax
