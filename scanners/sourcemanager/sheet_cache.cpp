#include "scanners/sourcemanager/sheet_cache.h"

namespace ostrel::virtualscanner {

std::shared_ptr<const SourcePage> SheetCache::find(const std::string& key) {
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(key);
  if (it == entries_.end()) return nullptr;
  order_.splice(order_.begin(), order_, it->second.position);
  return it->second.sheet;
}

void SheetCache::store(const std::string& key, std::shared_ptr<const SourcePage> sheet) {
  const std::size_t size = sheet->image.packed().size();
  if (size > capacity_) return;
  std::lock_guard lock(mutex_);
  if (const auto it = entries_.find(key); it != entries_.end()) {
    bytes_ -= it->second.sheet->image.packed().size();
    order_.erase(it->second.position);
    entries_.erase(it);
  }
  while (bytes_ + size > capacity_ && !order_.empty()) {
    const auto oldest = entries_.find(order_.back());
    bytes_ -= oldest->second.sheet->image.packed().size();
    entries_.erase(oldest);
    order_.pop_back();
  }
  order_.push_front(key);
  entries_.emplace(key, Entry{std::move(sheet), order_.begin()});
  bytes_ += size;
}

}  // namespace ostrel::virtualscanner
