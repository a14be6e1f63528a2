#pragma once
// Sheets already read or drawn, kept so the next button press does not decode
// the same files again: a real feeder hands over pages at the speed of its
// sensor, and a virtual one must not be slower than the program it feeds.
// Bounded by bytes; the least recently used sheet goes first. Thread-safe.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "scanners/sourcemanager/source_page.h"

namespace ostrel::virtualscanner {

class SheetCache {
 public:
  explicit SheetCache(std::size_t capacityBytes) : capacity_(capacityBytes) {}

  std::shared_ptr<const SourcePage> find(const std::string& key);
  void store(const std::string& key, std::shared_ptr<const SourcePage> sheet);

 private:
  struct Entry {
    std::shared_ptr<const SourcePage> sheet;
    std::list<std::string>::iterator position;
  };

  const std::size_t capacity_;
  std::size_t bytes_ = 0;
  std::mutex mutex_;
  std::list<std::string> order_;  // most recent first
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace ostrel::virtualscanner
