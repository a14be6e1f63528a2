#include "imaging/barcode/two_level_image.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "tests/cleanup/pixels.h"

namespace ostrel {
namespace {

using testing::patternPage;
using testing::pixelAt;
using testing::setPixel;

std::uint8_t at(const TwoLevelImage& image, int x, int y) { return image.row(y)[x]; }

// Each pixel's expected byte from the page's own layout and palette.
std::uint8_t expectedLevel(const Dib& page, int x, int y, int threshold) {
  const std::uint32_t v = pixelAt(page, x, y);
  if (page.bitsPerPixel() == 24) {
    const int weighted = static_cast<int>((v >> 8) & 0xFF) * 587 + static_cast<int>(v >> 16) * 299 +
                         static_cast<int>(v & 0xFF) * 114;
    return weighted >= 1000 * threshold ? 255 : 0;
  }
  const RgbQuad q = page.paletteEntry(static_cast<int>(v));
  return (q.green * 587 + q.red * 299 + q.blue * 114) / 1000 >= threshold ? 255 : 0;
}

void expectThresholded(const Dib& page, int threshold) {
  const TwoLevelImage image = thresholdedPage(page, threshold);
  ASSERT_EQ(image.width, page.width());
  ASSERT_EQ(image.height, page.height());
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      ASSERT_EQ(at(image, x, y), expectedLevel(page, x, y, threshold))
          << page.bitsPerPixel() << " bits, " << x << "," << y;
    }
  }
}

// Widths past a vector's length and not a multiple of it, so the loops'
// remainders are checked too.
TEST(ThresholdedPage, EveryDepthMatchesItsPaletteOrWeights) {
  for (const int bits : {1, 8, 24}) {
    for (const auto& [w, h] : {std::pair{1, 1}, std::pair{37, 5}, std::pair{70, 3}}) {
      expectThresholded(patternPage(w, h, bits, static_cast<std::uint32_t>(w + bits)), 128);
    }
  }
}

TEST(ThresholdedPage, ColourAtTheThresholdIsWhiteAndOneBelowIsBlack) {
  Dib page = *Dib::create(40, 1, 24);
  // 587 + 299 + 114 = 1000: a grey of level t weighs exactly 1000 t.
  for (int x = 0; x < 40; ++x) setPixel(page, x, 0, x % 2 ? 0x646464u : 0x636363u);  // 100, 99
  const TwoLevelImage image = thresholdedPage(page, 100);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(at(image, x, 0), x % 2 ? 255 : 0) << x;
  // The extremes: nothing is white above 255, everything at 0.
  EXPECT_EQ(at(thresholdedPage(page, 256), 1, 0), 0);
  EXPECT_EQ(at(thresholdedPage(page, 0), 0, 0), 255);
}

TEST(ThresholdedPage, PalettesInAnyOrderAreLookedUp) {
  // A reversed ramp (index 0 white) and one whose greys go up and down.
  Dib reversed = patternPage(45, 4, 8, 3);
  Dib zigzag = patternPage(45, 4, 8, 4);
  for (int i = 0; i < 256; ++i) {
    const auto r = static_cast<std::uint8_t>(255 - i);
    reversed.setPaletteEntry(i, {r, r, r, 0});
    const auto z = static_cast<std::uint8_t>(i % 2 ? i : 255 - i);
    zigzag.setPaletteEntry(i, {z, z, z, 0});
  }
  expectThresholded(reversed, 128);
  expectThresholded(zigzag, 128);
  // A page whose palette has nothing light enough is all black.
  const TwoLevelImage dark = thresholdedPage(reversed, 256);
  for (int x = 0; x < 45; ++x) EXPECT_EQ(at(dark, x, 0), 0);
}

TEST(ThresholdedPage, OneBitPagesShowTheirPalettesBlackEitherWayRound) {
  Dib page = patternPage(21, 3, 1, 5);
  expectThresholded(page, 128);
  page.setPaletteEntry(0, {255, 255, 255, 0});
  page.setPaletteEntry(1, {0, 0, 0, 0});
  expectThresholded(page, 128);
}

// Sizes below, at and past the 16-pixel blocks, with ragged strips on either side.
TEST(TurnedQuarter, EveryPixelMovesClockwise) {
  for (const auto& [w, h] :
       {std::pair{1, 1}, std::pair{16, 16}, std::pair{5, 40}, std::pair{33, 17}, std::pair{64, 48}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    TwoLevelImage image = TwoLevelImage::sized(w, h);
    for (std::size_t i = 0; i < image.size(); ++i) image.pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const TwoLevelImage turned = turnedQuarter(image);
    ASSERT_EQ(turned.width, h);
    ASSERT_EQ(turned.height, w);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) ASSERT_EQ(at(turned, h - 1 - y, x), at(image, x, y)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace ostrel
