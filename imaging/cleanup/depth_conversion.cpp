#include "imaging/cleanup/depth_conversion.h"

#include <algorithm>
#include <array>

#include "imaging/cleanup/page_pixels.h"

namespace ostrel {

std::optional<Dib> ToGrey8(const Dib& page) {
  auto out = newPageLike(page, page.width(), page.height(), 8);
  if (!out) return std::nullopt;
  const int width = page.width();
  switch (page.bitsPerPixel()) {
    case 1: {
      const auto greys = paletteGreys(page);
      for (int y = 0; y < page.height(); ++y) {
        const std::uint8_t* in = page.row(y);
        std::uint8_t* row = out->row(y);
        for (int x = 0; x < width; ++x) row[x] = greys[(in[x >> 3] >> (7 - (x & 7))) & 1];
      }
      break;
    }
    case 8: {
      const auto greys = paletteGreys(page);
      for (int y = 0; y < page.height(); ++y) {
        const std::uint8_t* in = page.row(y);
        std::uint8_t* row = out->row(y);
        for (int x = 0; x < width; ++x) row[x] = greys[in[x]];
      }
      break;
    }
    default:
      for (int y = 0; y < page.height(); ++y) {
        const std::uint8_t* in = page.row(y);
        std::uint8_t* row = out->row(y);
        for (int x = 0; x < width; ++x) row[x] = greyOf(in + 3 * x);
      }
      break;
  }
  return out;
}

std::optional<Dib> ToColour24(const Dib& page) {
  if (page.bitsPerPixel() == 24) return page.clone();
  auto out = newPageLike(page, page.width(), page.height(), 24);
  if (!out) return std::nullopt;
  const bool oneBit = page.bitsPerPixel() == 1;
  std::array<RgbQuad, 256> colours{};
  for (int i = 0; i < page.paletteSize(); ++i) colours[static_cast<std::size_t>(i)] = page.paletteEntry(i);
  for (int y = 0; y < page.height(); ++y) {
    const std::uint8_t* in = page.row(y);
    std::uint8_t* row = out->row(y);
    for (int x = 0; x < page.width(); ++x) {
      const int index = oneBit ? (in[x >> 3] >> (7 - (x & 7))) & 1 : in[x];
      const RgbQuad& c = colours[static_cast<std::size_t>(index)];
      row[3 * x] = c.blue;
      row[3 * x + 1] = c.green;
      row[3 * x + 2] = c.red;
    }
  }
  return out;
}

std::optional<Dib> ToBlackWhite(const Dib& page, int threshold) {
  auto out = newPageLike(page, page.width(), page.height(), 1);
  if (!out) return std::nullopt;
  out->setPaletteEntry(0, {0, 0, 0, 0});
  out->setPaletteEntry(1, {255, 255, 255, 0});
  if (page.bitsPerPixel() == 1) {
    // Already two levels: keep the picture, normalise the palette.
    const bool invert = !page.zeroIsBlack();
    const std::size_t bytes = usedRowBytes(page);
    for (int y = 0; y < page.height(); ++y) {
      const std::uint8_t* in = page.row(y);
      std::uint8_t* row = out->row(y);
      for (std::size_t i = 0; i < bytes; ++i) row[i] = invert ? static_cast<std::uint8_t>(~in[i]) : in[i];
    }
    return out;
  }
  const bool colour = page.bitsPerPixel() == 24;
  // Which palette indices become white; for colour, grey >= threshold is the
  // weighted sum >= 1000 x threshold, which spares the division.
  std::array<std::uint8_t, 256> white{};
  const auto greys = paletteGreys(page);
  for (int i = 0; i < 256; ++i) white[static_cast<std::size_t>(i)] = greys[static_cast<std::size_t>(i)] >= threshold;
  const int weightedThreshold = std::clamp(threshold, 0, 256) * 1000;
  for (int y = 0; y < page.height(); ++y) {
    const std::uint8_t* in = page.row(y);
    std::uint8_t* row = out->row(y);
    for (int x0 = 0; x0 < page.width(); x0 += 8) {
      const int n = std::min(8, page.width() - x0);
      unsigned bits = 0;
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* p = colour ? in + 3 * (x0 + i) : in + x0 + i;
        const bool isWhite = colour ? p[1] * 587 + p[2] * 299 + p[0] * 114 >= weightedThreshold : white[*p] != 0;
        bits |= static_cast<unsigned>(isWhite) << (7 - i);
      }
      row[x0 >> 3] = static_cast<std::uint8_t>(bits);
    }
  }
  return out;
}

}  // namespace ostrel
