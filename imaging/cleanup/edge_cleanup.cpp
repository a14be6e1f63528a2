#include "imaging/cleanup/edge_cleanup.h"

#include <algorithm>
#include <cstring>

#include "imaging/cleanup/page_pixels.h"

namespace ostrel {

std::optional<Dib> CleanEdges(const Dib& page, const EdgeFill& fill) {
  Dib out = page.clone();
  CleanEdgesInPlace(out, fill);
  return out;
}

void CleanEdgesInPlace(Dib& page, const EdgeFill& edges) {
  const int width = page.width(), height = page.height();
  const int n = std::clamp(edges.size, 0, std::max(width, height));
  const bool white = edges.white;
  const std::uint8_t fill = page.bitsPerPixel() == 1 ? oneBitFill(page, white) : (white ? 0xFF : 0x00);
  const std::size_t rowBytes = usedRowBytes(page);

  // Bytes [leftEnd, rightStart) of an inner row keep the input.
  std::size_t leftEnd = 0, rightStart = rowBytes;
  if (2 * n >= width) {
    leftEnd = 0;  // no inner pixel: the row is all margin
    rightStart = 0;
  } else if (page.bitsPerPixel() == 1) {
    leftEnd = static_cast<std::size_t>(n / 8);
    // A byte is margin when every real pixel in it is: its first pixel at or past W - n.
    rightStart = static_cast<std::size_t>((width - n + 7) / 8);
  } else {
    const std::size_t pixelBytes = static_cast<std::size_t>(page.bitsPerPixel() / 8);
    leftEnd = static_cast<std::size_t>(n) * pixelBytes;
    rightStart = static_cast<std::size_t>(width - n) * pixelBytes;
  }

  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = page.row(y);
    if (y < n || y >= height - n) {
      std::memset(row, fill, rowBytes);
      continue;
    }
    std::memset(row, fill, leftEnd);
    std::memset(row + rightStart, fill, rowBytes - rightStart);
  }
}

}  // namespace ostrel
