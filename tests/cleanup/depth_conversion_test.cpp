#include "imaging/cleanup/depth_conversion.h"

#include <gtest/gtest.h>

#include "tests/cleanup/pixels.h"

namespace ostrel {
namespace {

using testing::pixelAt;
using testing::setPixel;

TEST(ToGrey8, WeightsColourAndWritesAGreyRamp) {
  Dib colour = *Dib::create(3, 1, 24);
  setPixel(colour, 0, 0, 0xFF0000);  // red: 299 x 255 / 1000 = 76
  setPixel(colour, 1, 0, 0x00FF00);  // green: 149
  setPixel(colour, 2, 0, 0x0A141E);  // (20 x 587 + 10 x 299 + 30 x 114) / 1000 = 18
  const auto grey = ToGrey8(colour);
  ASSERT_TRUE(grey);
  EXPECT_EQ(pixelAt(*grey, 0, 0), 76u);
  EXPECT_EQ(pixelAt(*grey, 1, 0), 149u);
  EXPECT_EQ(pixelAt(*grey, 2, 0), 18u);
  EXPECT_EQ(grey->paletteSize(), 256);
  EXPECT_EQ(grey->paletteEntry(76), (RgbQuad{76, 76, 76, 0}));
}

TEST(ToGrey8, OneBitPagesShowWhatTheirPaletteShows) {
  Dib page = *Dib::create(9, 1, 1);
  setPixel(page, 8, 0, 1);
  EXPECT_EQ(pixelAt(*ToGrey8(page), 8, 0), 255u);  // set bit, usual palette: white
  EXPECT_EQ(pixelAt(*ToGrey8(page), 7, 0), 0u);
  page.setPaletteEntry(0, {255, 255, 255, 0});  // a white-is-zero page
  page.setPaletteEntry(1, {0, 0, 0, 0});
  EXPECT_EQ(pixelAt(*ToGrey8(page), 8, 0), 0u);
  EXPECT_EQ(pixelAt(*ToGrey8(page), 7, 0), 255u);
}

TEST(ToColour24, RepeatsGreyAndPaintsBitsBlackOrWhite) {
  Dib grey = *Dib::create(2, 1, 8);
  setPixel(grey, 1, 0, 0x9C);
  EXPECT_EQ(pixelAt(*ToColour24(grey), 1, 0), 0x9C9C9Cu);
  Dib bits = *Dib::create(2, 1, 1);
  setPixel(bits, 0, 0, 1);
  const auto colour = ToColour24(bits);
  EXPECT_EQ(pixelAt(*colour, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(pixelAt(*colour, 1, 0), 0u);
}

TEST(ToBlackWhite, BelowTheThresholdIsBlackAndThePaletteIsBlackAndWhite) {
  Dib grey = *Dib::create(3, 1, 8);
  setPixel(grey, 0, 0, 127);
  setPixel(grey, 1, 0, 128);
  setPixel(grey, 2, 0, 255);
  const auto bits = ToBlackWhite(grey, 128);
  ASSERT_TRUE(bits);
  EXPECT_EQ(pixelAt(*bits, 0, 0), 0u);
  EXPECT_EQ(pixelAt(*bits, 1, 0), 1u);
  EXPECT_EQ(pixelAt(*bits, 2, 0), 1u);
  // Not the grey ramp's first two entries, which would show every pixel black.
  EXPECT_EQ(bits->paletteEntry(0), (RgbQuad{0, 0, 0, 0}));
  EXPECT_EQ(bits->paletteEntry(1), (RgbQuad{255, 255, 255, 0}));

  Dib colour = *Dib::create(2, 1, 24);
  setPixel(colour, 0, 0, 0x808080);  // grey 128
  setPixel(colour, 1, 0, 0xFF0000);  // grey 76
  const auto fromColour = ToBlackWhite(colour, 100);
  EXPECT_EQ(pixelAt(*fromColour, 0, 0), 1u);
  EXPECT_EQ(pixelAt(*fromColour, 1, 0), 0u);
  EXPECT_EQ(pixelAt(*ToBlackWhite(colour, 128), 0, 0), 1u);
  EXPECT_EQ(pixelAt(*ToBlackWhite(colour, 129), 0, 0), 0u);
}

}  // namespace
}  // namespace ostrel
