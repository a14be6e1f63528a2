#pragma once
// Pixel access by page coordinates for tests, written straight from the
// layout (rows from the top, most significant bit first, blue-green-red), so
// the operations are checked against the layout and not against themselves.
#include <cstdint>

#include "imaging/dib.h"

namespace ostrel::testing {

// 1 bit: 0 or 1; 8 bits: the byte; 24 bits: 0xRRGGBB.
inline std::uint32_t pixelAt(const Dib& page, int x, int y) {
  const std::uint8_t* row = page.row(y);
  switch (page.bitsPerPixel()) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1u;
    case 8: return row[x];
    default: return static_cast<std::uint32_t>(row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x]);
  }
}

inline void setPixel(Dib& page, int x, int y, std::uint32_t value) {
  std::uint8_t* row = page.row(y);
  switch (page.bitsPerPixel()) {
    case 1:
      if (value) {
        row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (0x80 >> (x % 8)));
      } else {
        row[x / 8] = static_cast<std::uint8_t>(row[x / 8] & ~(0x80 >> (x % 8)));
      }
      break;
    case 8: row[x] = static_cast<std::uint8_t>(value); break;
    default:
      row[3 * x] = static_cast<std::uint8_t>(value);
      row[3 * x + 1] = static_cast<std::uint8_t>(value >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(value >> 16);
      break;
  }
}

// A page of the given shape filled with a fixed pseudo-random pattern.
inline Dib patternPage(int width, int height, int bits, std::uint32_t seed = 1) {
  Dib page = *Dib::create(width, height, bits);
  std::uint32_t state = seed * 2654435761u + 1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      setPixel(page, x, y, bits == 1 ? state >> 31 : bits == 8 ? state >> 24 : state >> 8);
    }
  }
  return page;
}

}  // namespace ostrel::testing
