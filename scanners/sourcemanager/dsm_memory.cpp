#include "scanners/sourcemanager/dsm_memory.h"

#include <memory>
#include <new>
#include <utility>

namespace ostrel::virtualscanner {

namespace {

// What a handle points to. The application only ever passes it back to these
// functions, so its shape is ours to choose.
struct Block {
  Dib::Buffer bytes;
  std::size_t size = 0;
};

Block* block(twain::TW_HANDLE handle) { return static_cast<Block*>(handle); }

}  // namespace

// The application calls these directly, not through DSM_Entry: nothing may be
// thrown out of them.
twain::TW_HANDLE memoryAllocate(twain::TW_UINT32 size) {
  try {
    auto made = std::make_unique<Block>();
    made->bytes = std::make_unique<std::uint8_t[]>(size);
    made->size = size;
    return made.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

twain::TW_HANDLE memoryHoldingImage(Dib& image) {
  try {
    auto made = std::make_unique<Block>();
    made->size = image.packed().size();
    made->bytes = std::move(image).takeBuffer();
    return made.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void memoryFree(twain::TW_HANDLE handle) { const std::unique_ptr<Block> freed(block(handle)); }

twain::TW_MEMREF memoryLock(twain::TW_HANDLE handle) { return handle ? block(handle)->bytes.get() : nullptr; }

void memoryUnlock(twain::TW_HANDLE) {}

std::size_t memorySize(twain::TW_HANDLE handle) { return handle ? block(handle)->size : 0; }

}  // namespace ostrel::virtualscanner
