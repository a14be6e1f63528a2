#pragma once
// Memory for the pages the virtual sources draw. A page goes whole to the
// application, which frees it when it is done with it, perhaps on another
// thread; its memory then comes back here and the next page of the same size
// is drawn over it, since fresh memory for a colour page costs more than the
// drawing. One page's memory is kept. Pages still out keep the pool alive, so
// it may outlive the source manager that made it: it is always owned through
// a std::shared_ptr (std::make_shared).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "imaging/dib.h"

namespace ostrel::virtualscanner {

class PageMemory : public std::enable_shared_from_this<PageMemory> {
 public:
  // size bytes, not cleared: the kept memory when it has that size.
  Dib::Buffer take(std::size_t size);
  // take() for Dib::createForOverwrite.
  Dib::Allocate allocator() {
    return [pool = shared_from_this()](std::size_t size) { return pool->take(size); };
  }

 private:
  void giveBack(std::unique_ptr<std::uint8_t[]> bytes, std::size_t size);

  std::mutex mutex_;
  std::unique_ptr<std::uint8_t[]> kept_;
  std::size_t keptSize_ = 0;
};

}  // namespace ostrel::virtualscanner
