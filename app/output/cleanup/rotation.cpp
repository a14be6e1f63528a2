#include "app/output/cleanup/rotation.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "app/output/cleanup/page_pixels.h"

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

template <int kBytes, Turn kTurn>
void turnBytes(const Dib& in, Dib& out) {
  const int inWidth = in.width(), inHeight = in.height();
  std::vector<const std::uint8_t*> inRows(static_cast<std::size_t>(inHeight));
  for (int y = 0; y < inHeight; ++y) {
    // Turning right reads the input rows bottom up: stored in that order here.
    const int c = kTurn == Turn::Left ? y : inHeight - 1 - y;
    inRows[static_cast<std::size_t>(c)] = in.row(y);
  }
  // Output (c, r) comes from input (W - 1 - r, c) turning left, (r, H - 1 - c) turning right.
  for (int r0 = 0; r0 < out.height(); r0 += kTile) {
    const int r1 = std::min(out.height(), r0 + kTile);
    for (int c0 = 0; c0 < out.width(); c0 += kTile) {
      const int c1 = std::min(out.width(), c0 + kTile);
      // The last pixel of an output row, and pixels from the last input
      // column, move exactly; the others move wide.
      const int wideEnd = c1 == out.width() ? c1 - 1 : c1;
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
  switch (page.bitsPerPixel()) {
    case 1: turnBits(page, *out, direction); break;
    case 8:
      direction == Turn::Left ? turnBytes<1, Turn::Left>(page, *out) : turnBytes<1, Turn::Right>(page, *out);
      break;
    default:
      direction == Turn::Left ? turnBytes<3, Turn::Left>(page, *out) : turnBytes<3, Turn::Right>(page, *out);
      break;
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
