#include "scanners/sourcemanager/page_memory.h"

#include <utility>

namespace ostrel::virtualscanner {

Dib::Buffer PageMemory::take(std::size_t size) {
  std::unique_ptr<std::uint8_t[]> bytes;
  {
    const std::lock_guard lock(mutex_);
    if (kept_ && keptSize_ == size) bytes = std::move(kept_);
  }
  if (!bytes) bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
  Dib::Deleter giveBack([pool = shared_from_this(), size](std::uint8_t* data) {
    pool->giveBack(std::unique_ptr<std::uint8_t[]>(data), size);
  });
  return Dib::Buffer(bytes.release(), std::move(giveBack));
}

// The newest memory is kept: a change of page size lasts the session.
void PageMemory::giveBack(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size) {
  const std::lock_guard lock(mutex_);
  std::swap(kept_, bytes);
  keptSize_ = size;
}

}  // namespace ostrel::virtualscanner
