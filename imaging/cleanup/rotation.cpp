#include "imaging/cleanup/rotation.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "imaging/cleanup/page_pixels.h"

namespace ostrel {

namespace {

enum class Turn { Left, Right };

// Tiles keep both the rows read and the rows written in cache while a tile
// is turned; 64 pixels square suits 24-bit pages of any width.
constexpr int kTile = 64;

// Copies one pixel. A 24-bit pixel moves as four bytes when the byte after it
// is in its row on both sides (the next pixel, overwritten in turn when
// writing), which is cheaper than a three-byte move.
template <int kBytes>
void copyPixel(std::uint8_t* to, const std::uint8_t* from, bool wide) {
  if (kBytes == 3 && wide) {
    std::uint32_t four;
    std::memcpy(&four, from, 4);
    std::memcpy(to, &four, 4);
  } else {
    std::memcpy(to, from, kBytes);
  }
}

// Output rows [r0, r1) and columns [c0, c1) of a turned page.
struct Area {
  int r0, r1, c0, c1;
};

// Output (c, r) comes from input (W - 1 - r, c) turning left, (r, H - 1 - c)
// turning right: the input row of each output column, bottom up turning right.
template <Turn kTurn>
std::vector<const std::uint8_t*> inputRowsByColumn(const Dib& in) {
  const int inHeight = in.height();
  std::vector<const std::uint8_t*> inRows(static_cast<std::size_t>(inHeight));
  for (int y = 0; y < inHeight; ++y) {
    const int c = kTurn == Turn::Left ? y : inHeight - 1 - y;
    inRows[static_cast<std::size_t>(c)] = in.row(y);
  }
  return inRows;
}

template <int kBytes, Turn kTurn>
void turnBytes(const Dib& in, const std::vector<const std::uint8_t*>& inRows, Dib& out, Area area) {
  const int inWidth = in.width();
  for (int r0 = area.r0; r0 < area.r1; r0 += kTile) {
    const int r1 = std::min(area.r1, r0 + kTile);
    for (int c0 = area.c0; c0 < area.c1; c0 += kTile) {
      const int c1 = std::min(area.c1, c0 + kTile);
      // The last pixel of the area's rows, and pixels from the last input
      // column, move exactly; the others move wide.
      const int wideEnd = c1 == area.c1 ? c1 - 1 : c1;
      for (int r = r0; r < r1; ++r) {
        std::uint8_t* dst = out.row(r) + static_cast<std::size_t>(c0) * kBytes;
        const int x = kTurn == Turn::Left ? inWidth - 1 - r : r;
        const std::uint8_t* const* source = inRows.data();
        const std::size_t column = static_cast<std::size_t>(x) * kBytes;
        int c = c0;
        if (x + 1 < inWidth) {
          for (; c < wideEnd; ++c, dst += kBytes) copyPixel<kBytes>(dst, source[c] + column, true);
        }
        for (; c < c1; ++c, dst += kBytes) copyPixel<kBytes>(dst, source[c] + column, false);
      }
    }
  }
}

#if defined(__x86_64__)
// Colour pages turn fastest as 4 x 4 pixel blocks rearranged by byte shuffles
// (SSSE3); without them the compiler's stand-in for a shuffle is slower than
// moving pixel by pixel.
#define OSTREL_SHUFFLED_BLOCKS 1

using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

// Output row k of a block takes pixel k of each of four input rows, given in
// output order. Every move is sixteen bytes, four past the block's twelve: the
// caller keeps them inside the rows, and the bytes written there belong to the
// block written next.
[[gnu::target("ssse3")]] inline void turnPixelBlock(const std::uint8_t* const in[4], std::uint8_t* const out[4]) {
  Bytes16 a, b, c, d;
  std::memcpy(&a, in[0], 16);
  std::memcpy(&b, in[1], 16);
  std::memcpy(&c, in[2], 16);
  std::memcpy(&d, in[3], 16);
  // Pixels 0 and 1, and 2 and 3, of each pair of rows side by side ...
  const Bytes16 ab01 = __builtin_shufflevector(a, b, 0, 1, 2, 16, 17, 18, 3, 4, 5, 19, 20, 21, 0, 0, 0, 0);
  const Bytes16 ab23 = __builtin_shufflevector(a, b, 6, 7, 8, 22, 23, 24, 9, 10, 11, 25, 26, 27, 0, 0, 0, 0);
  const Bytes16 cd01 = __builtin_shufflevector(c, d, 0, 1, 2, 16, 17, 18, 3, 4, 5, 19, 20, 21, 0, 0, 0, 0);
  const Bytes16 cd23 = __builtin_shufflevector(c, d, 6, 7, 8, 22, 23, 24, 9, 10, 11, 25, 26, 27, 0, 0, 0, 0);
  // ... then one pixel of all four rows.
  const Bytes16 p0 = __builtin_shufflevector(ab01, cd01, 0, 1, 2, 3, 4, 5, 16, 17, 18, 19, 20, 21, 0, 0, 0, 0);
  const Bytes16 p1 = __builtin_shufflevector(ab01, cd01, 6, 7, 8, 9, 10, 11, 22, 23, 24, 25, 26, 27, 0, 0, 0, 0);
  const Bytes16 p2 = __builtin_shufflevector(ab23, cd23, 0, 1, 2, 3, 4, 5, 16, 17, 18, 19, 20, 21, 0, 0, 0, 0);
  const Bytes16 p3 = __builtin_shufflevector(ab23, cd23, 6, 7, 8, 9, 10, 11, 22, 23, 24, 25, 26, 27, 0, 0, 0, 0);
  std::memcpy(out[0], &p0, 16);
  std::memcpy(out[1], &p1, 16);
  std::memcpy(out[2], &p2, 16);
  std::memcpy(out[3], &p3, 16);
}

// Tiles of blocks are larger: each input row of a tile is read a few bytes at a
// time, from rows far apart, which the processor does not see coming; every
// block asks for the same place in the next tile's rows, and 256 rows ahead is
// far enough for the data to arrive in time.
constexpr int kBlockTile = 256;

// The blocks of `area`, tile by tile, each tile's blocks in row order so that
// a block's overhang is written over by the next.
template <Turn kTurn>
[[gnu::target("ssse3")]] void turnPixelBlocks(const Dib& in, const std::vector<const std::uint8_t*>& inRows, Dib& out,
                                              Area area) {
  const int inWidth = in.width();
  for (int r0 = area.r0; r0 < area.r1; r0 += kBlockTile) {
    const int r1 = std::min(area.r1, r0 + kBlockTile);
    for (int c0 = area.c0; c0 < area.c1; c0 += kBlockTile) {
      const int c1 = std::min(area.c1, c0 + kBlockTile);
      for (int r = r0; r < r1; r += 4) {
        // Input pixels x .. x + 3 of each row go to output rows r .. r + 3
        // turning right, r + 3 .. r turning left.
        const int x = kTurn == Turn::Left ? inWidth - 4 - r : r;
        const std::size_t column = static_cast<std::size_t>(x) * 3;
        std::uint8_t* rows[4];
        for (int k = 0; k < 4; ++k) rows[k] = out.row(kTurn == Turn::Left ? r + 3 - k : r + k);
        for (int c = c0; c < c1; c += 4) {
          const std::uint8_t* from[4];
          std::uint8_t* to[4];
          for (int j = 0; j < 4; ++j) from[j] = inRows[static_cast<std::size_t>(c + j)] + column;
          if (c + kBlockTile + 4 <= area.c1) {
            const std::uint8_t* const* ahead = inRows.data() + c + kBlockTile;
            for (int j = 0; j < 4; ++j) __builtin_prefetch(ahead[j] + column);
          }
          for (int k = 0; k < 4; ++k) to[k] = rows[k] + static_cast<std::size_t>(c) * 3;
          turnPixelBlock(from, to);
        }
      }
    }
  }
}
#endif

template <Turn kTurn>
void turnColour(const Dib& in, Dib& out) {
  const std::vector<const std::uint8_t*> inRows = inputRowsByColumn<kTurn>(in);
#ifdef OSTREL_SHUFFLED_BLOCKS
  if (__builtin_cpu_supports("ssse3")) {
    // A block's sixteen-byte moves reach into the sixth pixel from the first
    // one moved: blocks lie where that stays inside both the input rows read
    // (from pixel x) and the output rows written (from pixel c).
    const int inWidth = in.width();
    const auto readsInside = [&](int r) {
      const int x = kTurn == Turn::Left ? inWidth - 4 - r : r;
      return x >= 0 && x + 6 <= inWidth;
    };
    int rowsFrom = 0;
    while (rowsFrom + 4 <= out.height() && !readsInside(rowsFrom)) rowsFrom += 4;
    int rowsTo = rowsFrom;
    while (rowsTo + 4 <= out.height() && readsInside(rowsTo)) rowsTo += 4;
    int columnsTo = 0;
    while (columnsTo + 6 <= out.width()) columnsTo += 4;
    if (rowsTo > rowsFrom && columnsTo > 0) {
      turnPixelBlocks<kTurn>(in, inRows, out, {rowsFrom, rowsTo, 0, columnsTo});
      // The rest pixel by pixel, after the blocks, over their overhang.
      turnBytes<3, kTurn>(in, inRows, out, {0, rowsFrom, 0, out.width()});
      turnBytes<3, kTurn>(in, inRows, out, {rowsTo, out.height(), 0, out.width()});
      turnBytes<3, kTurn>(in, inRows, out, {rowsFrom, rowsTo, columnsTo, out.width()});
      return;
    }
  }
#endif
  turnBytes<3, kTurn>(in, inRows, out, {0, out.height(), 0, out.width()});
}

// Transposes an 8 x 8 bit block held as eight bytes, row 0 in the most
// significant byte and column 0 in each byte's most significant bit.
std::uint64_t transpose8(std::uint64_t x) {
  std::uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
  x ^= t ^ (t << 7);
  t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
  x ^= t ^ (t << 14);
  t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
  x ^= t ^ (t << 28);
  return x;
}

// Output byte b of every output row holds output columns 8b..8b+7, which come
// from eight input rows; one 8 x 8 transpose moves eight bits of each.
void turnBits(const Dib& in, Dib& out, Turn turn) {
  const int inWidth = in.width(), inHeight = in.height();
  const int inBytes = (inWidth + 7) / 8;
  const int outBytes = (out.width() + 7) / 8;
  for (int b = 0; b < outBytes; ++b) {
    std::array<const std::uint8_t*, 8> rows{};
    for (int j = 0; j < 8; ++j) {
      const int c = 8 * b + j;
      const int y = turn == Turn::Left ? c : inHeight - 1 - c;
      rows[static_cast<std::size_t>(j)] = c < out.width() ? in.row(y) : nullptr;
    }
    for (int k = 0; k < inBytes; ++k) {
      std::uint64_t block = 0;
      for (int j = 0; j < 8; ++j) {
        const std::uint8_t* row = rows[static_cast<std::size_t>(j)];
        block = (block << 8) | (row ? row[k] : 0u);
      }
      const std::uint64_t turned = transpose8(block);
      for (int i = 0; i < 8; ++i) {
        const int x = 8 * k + i;  // input column, byte i of the turned block
        if (x >= inWidth) break;
        const int r = turn == Turn::Left ? inWidth - 1 - x : x;
        out.row(r)[b] = static_cast<std::uint8_t>(turned >> (8 * (7 - i)));
      }
    }
  }
}

std::optional<Dib> turn(const Dib& page, Turn direction) {
  // Grey and colour turns write every pixel; the bit turn writes whole bytes
  // and relies on a cleared page for the bits past the last pixel.
  auto out = page.bitsPerPixel() == 1 ? newPageLike(page, page.height(), page.width(), 1)
                                      : newPageToOverwrite(page, page.height(), page.width(), page.bitsPerPixel());
  if (!out) return std::nullopt;
  // Each resolution measures along a side, and the sides trade places.
  out->setResolution(page.yDotsPerMetre(), page.xDotsPerMetre());
  switch (page.bitsPerPixel()) {
    case 1: turnBits(page, *out, direction); break;
    case 8: {
      const Area whole{0, out->height(), 0, out->width()};
      direction == Turn::Left ? turnBytes<1, Turn::Left>(page, inputRowsByColumn<Turn::Left>(page), *out, whole)
                              : turnBytes<1, Turn::Right>(page, inputRowsByColumn<Turn::Right>(page), *out, whole);
      break;
    }
    default: direction == Turn::Left ? turnColour<Turn::Left>(page, *out) : turnColour<Turn::Right>(page, *out); break;
  }
  return out;
}

std::uint8_t reversedBits(std::uint8_t b) {
  b = static_cast<std::uint8_t>((b & 0xF0) >> 4 | (b & 0x0F) << 4);
  b = static_cast<std::uint8_t>((b & 0xCC) >> 2 | (b & 0x33) << 2);
  return static_cast<std::uint8_t>((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

}  // namespace

std::optional<Dib> RotateLeft(const Dib& page) { return turn(page, Turn::Left); }

std::optional<Dib> RotateRight(const Dib& page) { return turn(page, Turn::Right); }

std::optional<Dib> Rotate180(const Dib& page) {
  auto out = newPageLike(page, page.width(), page.height(), page.bitsPerPixel());
  if (!out) return std::nullopt;
  const int width = page.width(), height = page.height();
  switch (page.bitsPerPixel()) {
    case 1: {
      std::array<std::uint8_t, 256> reverse{};
      for (int i = 0; i < 256; ++i) reverse[static_cast<std::size_t>(i)] = reversedBits(static_cast<std::uint8_t>(i));
      const int bytes = (width + 7) / 8;
      // Reversing whole bytes puts the last byte's padding bits first; shifting
      // the row left by that many bits brings pixel W - 1 to the front.
      const int shift = 8 * bytes - width;
      std::vector<std::uint8_t> reversed(static_cast<std::size_t>(bytes) + 1, 0);
      for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = page.row(y);
        for (int i = 0; i < bytes; ++i) reversed[static_cast<std::size_t>(i)] = reverse[in[bytes - 1 - i]];
        std::uint8_t* row = out->row(height - 1 - y);
        for (int i = 0; i < bytes; ++i) {
          const unsigned pair = static_cast<unsigned>(reversed[static_cast<std::size_t>(i)]) << 8 |
                                reversed[static_cast<std::size_t>(i) + 1];
          row[i] = static_cast<std::uint8_t>(pair >> (8 - shift));
        }
      }
      break;
    }
    case 8:
      for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = page.row(y);
        std::reverse_copy(in, in + width, out->row(height - 1 - y));
      }
      break;
    default:
      for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = page.row(y) + 3 * static_cast<std::size_t>(width - 1);
        std::uint8_t* row = out->row(height - 1 - y);
        // Written left to right, so a wide copy's fourth byte is overwritten next.
        for (int x = 0; x < width; ++x, in -= 3) copyPixel<3>(row + 3 * x, in, x > 0 && x + 1 < width);
      }
      break;
  }
  return out;
}

}  // namespace ostrel
