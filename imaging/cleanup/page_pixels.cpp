#include "imaging/cleanup/page_pixels.h"

namespace ostrel {

namespace {

std::optional<Dib> withPaletteOf(const Dib& input, std::optional<Dib> page) {
  if (page && page->bitsPerPixel() == input.bitsPerPixel()) {
    for (int i = 0; i < input.paletteSize(); ++i) page->setPaletteEntry(i, input.paletteEntry(i));
  }
  return page;
}

}  // namespace

std::optional<Dib> newPageLike(const Dib& input, int width, int height, int bitsPerPixel) {
  return withPaletteOf(input, Dib::create(width, height, bitsPerPixel, input.xDotsPerMetre(), input.yDotsPerMetre()));
}

std::optional<Dib> newPageToOverwrite(const Dib& input, int width, int height, int bitsPerPixel) {
  return withPaletteOf(input, Dib::createForOverwrite(width, height, bitsPerPixel, input.xDotsPerMetre(),
                                                      input.yDotsPerMetre()));
}

std::array<std::uint8_t, 256> paletteGreys(const Dib& page) {
  std::array<std::uint8_t, 256> greys{};
  for (int i = 0; i < page.paletteSize(); ++i) {
    const RgbQuad q = page.paletteEntry(i);
    const std::uint8_t bgr[3] = {q.blue, q.green, q.red};
    greys[static_cast<std::size_t>(i)] = greyOf(bgr);
  }
  return greys;
}

std::uint8_t oneBitFill(const Dib& page, bool white) {
  // A set bit shows palette entry 1: white on the usual palette.
  return white == page.zeroIsBlack() ? 0xFF : 0x00;
}

}  // namespace ostrel
