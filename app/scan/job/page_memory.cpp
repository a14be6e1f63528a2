#include "app/scan/job/page_memory.h"

#include <malloc.h>

namespace ostrel {

namespace {

// Blocks below this come from the heap, so a freed page buffer can serve the
// next page; larger ones (600-dpi colour pages) are still mapped on their own.
constexpr int kHeapBlockLimit = 64 << 20;
// Free memory at the top of the heap is kept up to this much between pages.
constexpr int kKeptFreeMemory = 256 << 20;

}  // namespace

void keepPageBuffersForReuse() {
  ::mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit);
  ::mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
}

void releasePageBuffers() { ::malloc_trim(0); }

}  // namespace ostrel
