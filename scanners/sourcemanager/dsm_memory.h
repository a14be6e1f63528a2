#pragma once
// The source manager's memory functions (DSM_MemAllocate and friends). A handle
// is a block that knows its own size, so the data source can hand out images
// and containers that the application frees with DSM_MemFree. A native image's
// handle holds the page's own memory, so a transfer copies nothing.
#include <cstddef>

#include "imaging/dib.h"
#include "scanners/protocol/twain_protocol.h"

namespace ostrel::virtualscanner {

// Null when the memory cannot be had; the bytes are zero.
twain::TW_HANDLE memoryAllocate(twain::TW_UINT32 size);
// A handle that holds the image's memory as it is, the packed bitmap: the image
// is left empty. Null, the image untouched, when there is no memory for the handle.
twain::TW_HANDLE memoryHoldingImage(Dib& image);
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
