#pragma once
// A read-only view of a page's pixel rows as the blank-page library receives
// them: the first stored row, the row length in bytes, depth and resolution.
#include <cstddef>
#include <cstdint>

namespace ostrel {

struct PageRaster {
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::size_t rowBytes = 0;
  int bitsPerPixel = 0;     // 1, 8 or 24 (blue, green, red)
  bool blackIsZero = true;  // 1-bit pages: a clear bit is black
  int xDpi = 0;             // 0 or less: unknown
  int yDpi = 0;
};

}  // namespace ostrel
