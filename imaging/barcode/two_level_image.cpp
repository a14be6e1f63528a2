#include "imaging/barcode/two_level_image.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/cleanup/page_pixels.h"

// The row loops here are written for the compiler to vectorise (this file is
// built with a cost model that lets it); they are the barcode reader's share of
// every page that names a barcode.

namespace ostrel {

namespace {

// Picking the blue, green and red bytes out of a row takes byte shuffles, which
// the x86-64 baseline lacks; the loader chooses the AVX2 build where the
// processor has it.
#if defined(__x86_64__)
[[gnu::target_clones("avx2", "default")]]
#endif
void thresholdColourRow(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int width,
                        int weightedThreshold) {
  for (int x = 0; x < width; ++x) {
    const int weighted = in[3 * x + 1] * 587 + in[3 * x + 2] * 299 + in[3 * x] * 114;
    out[x] = static_cast<std::uint8_t>(weighted >= weightedThreshold ? 255 : 0);
  }
}

// Palettes whose indices turn white at one index and stay white above it (every
// grey ramp) need a comparison only; others look each index up.
void thresholdPaletteRow(const std::uint8_t* __restrict in, std::uint8_t* __restrict out, int width,
                         const std::array<std::uint8_t, 256>& level, int firstWhite) {
  if (firstWhite >= 0) {
    for (int x = 0; x < width; ++x) out[x] = static_cast<std::uint8_t>(in[x] >= firstWhite ? 255 : 0);
  } else {
    for (int x = 0; x < width; ++x) out[x] = level[in[x]];
  }
}

void expandOneBitRow(const std::uint8_t* in, std::uint8_t* out, int width,
                     const std::array<std::array<std::uint8_t, 8>, 256>& expanded) {
  const int wholeBytes = width / 8;
  for (int i = 0; i < wholeBytes; ++i) std::memcpy(out + 8 * i, expanded[in[i]].data(), 8);
  for (int x = 8 * wholeBytes; x < width; ++x) out[x] = expanded[in[x / 8]][static_cast<std::size_t>(x % 8)];
}

// The index from which every palette index is white, or -1 when white and black
// indices interleave. 256 when none is white.
int firstWhiteIndex(const std::array<std::uint8_t, 256>& level) {
  const auto white = std::find(level.begin(), level.end(), 255);
  if (std::find(white, level.end(), 0) != level.end()) return -1;
  return static_cast<int>(white - level.begin());
}

using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

// Turns a 16 x 16 block clockwise: output row j is input column j read bottom
// up. Four rounds of interleaving rows i and i + 8 transpose a block (each
// round moves one bit of the column index into the row index); feeding the
// rows bottom up makes the transpose a turn.
void turnBlock(const std::uint8_t* in, std::size_t inStride, std::uint8_t* out, std::size_t outStride) {
  Bytes16 rows[16], next[16];
#pragma GCC unroll 16
  for (std::size_t i = 0; i < 16; ++i) std::memcpy(&rows[i], in + (15 - i) * inStride, 16);
#pragma GCC unroll 4
  for (int round = 0; round < 4; ++round) {
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) {
      next[2 * i] = __builtin_shufflevector(rows[i], rows[i + 8], 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22,
                                            7, 23);
      next[2 * i + 1] = __builtin_shufflevector(rows[i], rows[i + 8], 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29,
                                                14, 30, 15, 31);
    }
    std::memcpy(rows, next, sizeof rows);
  }
#pragma GCC unroll 16
  for (std::size_t j = 0; j < 16; ++j) std::memcpy(out + j * outStride, &rows[j], 16);
}

}  // namespace

TwoLevelImage TwoLevelImage::sized(int width, int height) {
  return {std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(width) *
                                                         static_cast<std::size_t>(height)),
          width, height};
}

TwoLevelImage thresholdedPage(const Dib& page, int threshold) {
  TwoLevelImage image = TwoLevelImage::sized(page.width(), page.height());
  // Colour pages compare the weighted sum with 1000 x threshold, which spares
  // the division.
  const int weightedThreshold = std::clamp(threshold, 0, 256) * 1000;
  std::array<std::uint8_t, 256> level{};
  int firstWhite = -1;
  std::array<std::array<std::uint8_t, 8>, 256> expanded{};
  if (page.bitsPerPixel() == 8) {
    const auto greys = paletteGreys(page);
    for (std::size_t i = 0; i < 256; ++i) level[i] = greys[i] >= threshold ? 255 : 0;
    firstWhite = firstWhiteIndex(level);
  } else if (page.bitsPerPixel() == 1) {
    const bool setIsWhite = page.zeroIsBlack();
    for (int value = 0; value < 256; ++value) {
      for (int bit = 0; bit < 8; ++bit) {
        const bool set = (value >> (7 - bit)) & 1;
        expanded[static_cast<std::size_t>(value)][static_cast<std::size_t>(bit)] = set == setIsWhite ? 255 : 0;
      }
    }
  }
  for (int y = 0; y < page.height(); ++y) {
    std::uint8_t* out = image.row(y);
    const std::uint8_t* in = page.row(y);
    switch (page.bitsPerPixel()) {
      case 24: thresholdColourRow(in, out, page.width(), weightedThreshold); break;
      case 8: thresholdPaletteRow(in, out, page.width(), level, firstWhite); break;
      default: expandOneBitRow(in, out, page.width(), expanded);
    }
  }
  return image;
}

// Whole 16 x 16 blocks move as vectors; the ragged right and bottom strips
// pixel by pixel.
TwoLevelImage turnedQuarter(const TwoLevelImage& image) {
  TwoLevelImage turned = TwoLevelImage::sized(image.height, image.width);
  const auto inStride = static_cast<std::size_t>(image.width), outStride = static_cast<std::size_t>(turned.width);
  const int blockWidth = image.width / 16 * 16, blockHeight = image.height / 16 * 16;
  for (int y0 = 0; y0 < blockHeight; y0 += 16) {
    for (int x0 = 0; x0 < blockWidth; x0 += 16) {
      turnBlock(image.row(y0) + x0, inStride, turned.row(x0) + (image.height - 16 - y0), outStride);
    }
  }
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* in = image.row(y);
    const int xStart = y < blockHeight ? blockWidth : 0;
    for (int x = xStart; x < image.width; ++x) turned.row(x)[image.height - 1 - y] = in[x];
  }
  return turned;
}

}  // namespace ostrel
