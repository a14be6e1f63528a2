#pragma once
// The source manager's memory functions (DSM_MemAllocate and friends). A handle
// is a block that knows its own size, so the data source can hand out images
// and containers that the application frees with DSM_MemFree.
#include <cstddef>

#include "scanners/protocol/twain_protocol.h"

namespace ostrel::virtualscanner {

twain::TW_HANDLE memoryAllocate(twain::TW_UINT32 size);
void memoryFree(twain::TW_HANDLE handle);
twain::TW_MEMREF memoryLock(twain::TW_HANDLE handle);
void memoryUnlock(twain::TW_HANDLE handle);
// The size the handle was allocated with; 0 for a null handle.
std::size_t memorySize(twain::TW_HANDLE handle);

// Frees a handle when it goes out of scope.
struct MemoryHandleDeleter {
  void operator()(void* handle) const { memoryFree(handle); }
};

}  // namespace ostrel::virtualscanner
