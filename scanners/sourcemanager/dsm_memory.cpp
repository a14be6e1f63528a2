#include "scanners/sourcemanager/dsm_memory.h"

#include <cstdlib>
#include <cstring>

namespace ostrel::virtualscanner {

namespace {

// The block's header, padded so the data after it stays 16-byte aligned.
struct alignas(16) BlockHeader {
  std::size_t size;
};

BlockHeader* header(twain::TW_HANDLE handle) { return static_cast<BlockHeader*>(handle); }

}  // namespace

twain::TW_HANDLE memoryAllocate(twain::TW_UINT32 size) {
  void* block = std::calloc(1, sizeof(BlockHeader) + size);
  if (!block) return nullptr;
  static_cast<BlockHeader*>(block)->size = size;
  return block;
}

void memoryFree(twain::TW_HANDLE handle) { std::free(handle); }

twain::TW_MEMREF memoryLock(twain::TW_HANDLE handle) {
  return handle ? static_cast<void*>(header(handle) + 1) : nullptr;
}

void memoryUnlock(twain::TW_HANDLE) {}

std::size_t memorySize(twain::TW_HANDLE handle) { return handle ? header(handle)->size : 0; }

}  // namespace ostrel::virtualscanner
