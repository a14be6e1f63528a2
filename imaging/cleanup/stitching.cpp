#include "imaging/cleanup/stitching.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/cleanup/depth_conversion.h"
#include "imaging/cleanup/page_pixels.h"

namespace ostrel {

namespace {

std::optional<Dib> atDepth(const Dib& page, int bits) {
  // Two 1-bit pages may have their palettes either way round: both go to 0 = black.
  if (bits == 1) return ToBlackWhite(page, 128);
  if (page.bitsPerPixel() == bits) return page.clone();
  return bits == 8 ? ToGrey8(page) : ToColour24(page);
}

void setBit(std::uint8_t* row, int x, bool set) {
  const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
  row[x >> 3] = set ? row[x >> 3] | mask : row[x >> 3] & static_cast<std::uint8_t>(~mask);
}

// Copies a whole page into out with its top-left pixel at (left, top); 1-bit
// rows are shifted into place when left is not a multiple of eight.
void place(const Dib& page, Dib& out, int left, int top) {
  const int bits = page.bitsPerPixel();
  for (int y = 0; y < page.height(); ++y) {
    const std::uint8_t* in = page.row(y);
    std::uint8_t* row = out.row(top + y);
    if (bits != 1) {
      const std::size_t bytesPerPixel = static_cast<std::size_t>(bits / 8);
      std::memcpy(row + static_cast<std::size_t>(left) * bytesPerPixel, in,
                  static_cast<std::size_t>(page.width()) * bytesPerPixel);
      continue;
    }
    int x = 0;
    if ((left & 7) == 0) {  // whole bytes line up
      const int wholeBytes = page.width() / 8;
      std::memcpy(row + left / 8, in, static_cast<std::size_t>(wholeBytes));
      x = 8 * wholeBytes;
    }
    for (; x < page.width(); ++x) setBit(row, left + x, (in[x >> 3] >> (7 - (x & 7))) & 1);
  }
}

// The mean of the front's bottom row or leftmost column, per byte of a pixel.
std::array<std::uint8_t, 3> meanColour(const Dib& front, bool bottomRow) {
  const int bytesPerPixel = front.bitsPerPixel() / 8;
  std::array<unsigned long, 3> sums{};
  const int count = bottomRow ? front.width() : front.height();
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* p = bottomRow ? front.row(front.height() - 1) + i * bytesPerPixel : front.row(i);
    for (int c = 0; c < bytesPerPixel; ++c) sums[static_cast<std::size_t>(c)] += p[c];
  }
  std::array<std::uint8_t, 3> mean{};
  for (int c = 0; c < bytesPerPixel; ++c) {
    mean[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(sums[static_cast<std::size_t>(c)] / count);
  }
  return mean;
}

void fill(Dib& out, const std::array<std::uint8_t, 3>& colour) {
  const std::size_t rowBytes = usedRowBytes(out);
  for (int y = 0; y < out.height(); ++y) {
    std::uint8_t* row = out.row(y);
    if (out.bitsPerPixel() == 24) {
      for (std::size_t i = 0; i < rowBytes; i += 3) std::memcpy(row + i, colour.data(), 3);
    } else {
      std::memset(row, colour[0], rowBytes);
    }
  }
}

}  // namespace

std::optional<Dib> StitchPages(const Dib& front, const Dib& back, StitchLayout layout) {
  const int bits = std::max(front.bitsPerPixel(), back.bitsPerPixel());
  const auto top = atDepth(front, bits);
  const auto other = atDepth(back, bits);
  if (!top || !other) return std::nullopt;

  const bool above = layout == StitchLayout::Above;
  const long width = above ? std::max(top->width(), other->width()) : long{top->width()} + other->width();
  const long height = above ? long{top->height()} + other->height() : std::max(top->height(), other->height());
  if (width > Dib::kMaxDimension || height > Dib::kMaxDimension) return std::nullopt;
  auto out = newPageLike(*top, static_cast<int>(width), static_cast<int>(height), bits);
  if (!out) return std::nullopt;

  if (bits == 1) {
    fill(*out, {oneBitFill(*top, true), 0, 0});
  } else {
    fill(*out, meanColour(*top, !above));
  }
  if (above) {
    place(*top, *out, (out->width() - top->width()) / 2, 0);
    place(*other, *out, (out->width() - other->width()) / 2, top->height());
  } else {
    place(*top, *out, 0, (out->height() - top->height()) / 2);
    place(*other, *out, top->width(), (out->height() - other->height()) / 2);
  }
  return out;
}

}  // namespace ostrel
