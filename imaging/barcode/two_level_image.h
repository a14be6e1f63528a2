#pragma once
// The page as the barcode reader analyses it: one byte per pixel, 0 black and
// 255 white, top row first. Thresholding straight into bytes spares packing a
// 1-bit page only for the reader to unpack it again.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/dib.h"

namespace ostrel {

struct TwoLevelImage {
  std::unique_ptr<std::uint8_t[]> pixels;
  int width = 0, height = 0;

  // Pixels left for the caller to write, every one of them.
  static TwoLevelImage sized(int width, int height);
  std::size_t size() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
  std::uint8_t* row(int y) { return pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
  const std::uint8_t* row(int y) const {
    return pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  }
};

// A colour pixel is white when green x 587 + red x 299 + blue x 114 reaches
// 1000 x threshold; a palette pixel when its grey (paletteGreys) reaches the
// threshold; a 1-bit pixel shows its palette's black or white.
TwoLevelImage thresholdedPage(const Dib& page, int threshold);

// The image turned a quarter clockwise: (x, y) goes to (height - 1 - y, x).
TwoLevelImage turnedQuarter(const TwoLevelImage& image);

}  // namespace ostrel
