#pragma once
// Deterministic stand-ins for scanned pages, for the writer tests and benchmarks:
// a dense 1-bit text page, and grey and colour pages with gradients and sensor
// noise. Same arguments, same pixels.
#include <cstdint>

#include "imaging/dib.h"

namespace ostrel::testing {

inline constexpr int kLetterWidth = 2550;   // 8.5 inch at 300 dpi
inline constexpr int kLetterHeight = 3300;  // 11 inch at 300 dpi

class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
  std::uint32_t next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_;
};

// 1-bit page, palette 0 black / 1 white: one-inch margins and 44 lines of
// 12-point "words" (about 3,500 glyphs of strokes, bowls and bars), as busy as a
// densely typed letter.
inline Dib denseTextPage(int width = kLetterWidth, int height = kLetterHeight, std::uint32_t seed = 1) {
  Dib page = *Dib::create(width, height, 1);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = page.row(y);
    for (std::size_t i = 0; i < page.stride(); ++i) row[i] = 0xff;
  }
  auto black = [&](int x, int y) { page.row(y)[x >> 3] &= static_cast<std::uint8_t>(~(0x80 >> (x & 7))); };
  Noise noise(seed);
  const int margin = width / 17;
  for (int top = margin; top + 36 < height - margin; top += 60) {
    int x = margin;
    while (x + 26 < width - margin) {
      const int letters = 2 + static_cast<int>(noise.next() % 8);
      for (int l = 0; l < letters && x + 26 < width - margin; ++l, x += 26) {
        const std::uint32_t shape = noise.next();
        const int stem = 3 + static_cast<int>(shape % 14);
        for (int y = top + ((shape >> 4) & 1 ? 0 : 12); y < top + 36; ++y) {
          for (int t = 0; t < 3; ++t) black(x + stem + t, y);
        }
        if ((shape >> 5) & 1) {  // a bowl: a ring beside the stem
          for (int y = top + 14; y < top + 36; ++y) {
            for (int dx = 0; dx < 18; ++dx) {
              const int cx = dx - 9, cy = y - (top + 25);
              const int r2 = cx * cx + cy * cy;
              if (r2 >= 49 && r2 <= 81) black(x + 2 + dx, y);
            }
          }
        }
        if ((shape >> 6) & 1) {  // a bar
          for (int dx = 0; dx < 18; ++dx) black(x + 2 + dx, top + 14 + static_cast<int>((shape >> 7) % 20));
        }
      }
      x += 26;  // the space between words
    }
  }
  return page;
}

// 24-bit page: smooth colour gradients under a few levels of sensor noise.
inline Dib colourPage(int width = kLetterWidth, int height = kLetterHeight, std::uint32_t seed = 1) {
  Dib page = *Dib::create(width, height, 24);
  Noise noise(seed);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = page.row(y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t n = noise.next();
      row[3 * x] = static_cast<std::uint8_t>(x * 200 / width + (n & 15));
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 200 / height + ((n >> 4) & 15));
      row[3 * x + 2] = static_cast<std::uint8_t>(((x + y) * 230 / (width + height)) + ((n >> 8) & 15));
    }
  }
  return page;
}

// 8-bit page with the grey ramp palette: a diagonal gradient with noise.
inline Dib greyPage(int width = kLetterWidth, int height = kLetterHeight, std::uint32_t seed = 1) {
  Dib page = *Dib::create(width, height, 8);
  Noise noise(seed);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = page.row(y);
    for (int x = 0; x < width; ++x) {
      row[x] = static_cast<std::uint8_t>((x + y) * 240 / (width + height) + (noise.next() & 7));
    }
  }
  return page;
}

}  // namespace ostrel::testing
