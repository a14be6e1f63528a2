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

template <int kBytes>
void turnBytes(const Dib& in, Dib& out, Turn turn) {
  const int inWidth = in.width(), inHeight = in.height();
  std::vector<const std::uint8_t*> inRows(static_cast<std::size_t>(inHeight));
  for (int y = 0; y < inHeight; ++y) inRows[static_cast<std::size_t>(y)] = in.row(y);
  // Output (c, r) comes from input (W - 1 - r, c) turning left, (r, H - 1 - c) turning right.
  for (int r0 = 0; r0 < out.height(); r0 += kTile) {
    const int r1 = std::min(out.height(), r0 + kTile);
    for (int c0 = 0; c0 < out.width(); c0 += kTile) {
      const int c1 = std::min(out.width(), c0 + kTile);
      for (int r = r0; r < r1; ++r) {
        std::uint8_t* dst = out.row(r) + static_cast<std::size_t>(c0) * kBytes;
        if (turn == Turn::Left) {
          const std::size_t column = static_cast<std::size_t>(inWidth - 1 - r) * kBytes;
          for (int c = c0; c < c1; ++c, dst += kBytes) std::memcpy(dst, inRows[static_cast<std::size_t>(c)] + column, kBytes);
        } else {
          const std::size_t column = static_cast<std::size_t>(r) * kBytes;
          for (int c = c0; c < c1; ++c, dst += kBytes) {
            std::memcpy(dst, inRows[static_cast<std::size_t>(inHeight - 1 - c)] + column, kBytes);
          }
        }
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
  auto out = newPageLike(page, page.height(), page.width(), page.bitsPerPixel());
  if (!out) return std::nullopt;
  switch (page.bitsPerPixel()) {
    case 1: turnBits(page, *out, direction); break;
    case 8: turnBytes<1>(page, *out, direction); break;
    default: turnBytes<3>(page, *out, direction); break;
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
        const std::uint8_t* in = page.row(y);
        std::uint8_t* row = out->row(height - 1 - y) + 3 * static_cast<std::size_t>(width - 1);
        for (int x = 0; x < width; ++x, row -= 3) std::memcpy(row, in + 3 * x, 3);
      }
      break;
  }
  return out;
}

}  // namespace ostrel
