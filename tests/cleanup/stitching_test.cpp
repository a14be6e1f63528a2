#include "imaging/cleanup/stitching.h"
#include "app/scan/page_steps/page_steps.h"

#include <gtest/gtest.h>

#include "tests/cleanup/pixels.h"

namespace ostrel {
namespace {

using testing::patternPage;
using testing::pixelAt;
using testing::setPixel;

CScanSetting stitch(int value) {
  CScanSetting profile;
  profile.stitch = value;
  return profile;
}

TEST(StitchPages, OneBitFrontBesideGreyBackBecomesGreyWithTheBackCentred) {
  Dib front = *Dib::create(1700, 2200, 1);
  Dib back = *Dib::create(1700, 2000, 8);
  // Front: white except a black bottom row whose first 850 pixels are white,
  // so the fill is the mean of 850 x 255 and 850 x 0.
  for (int y = 0; y < 2200; ++y) {
    for (int x = 0; x < 1700; ++x) setPixel(front, x, y, y < 2199 || x < 850 ? 1 : 0);
  }
  for (int y = 0; y < 2000; ++y) {
    for (int x = 0; x < 1700; ++x) setPixel(back, x, y, 40);
  }
  const auto joined = StitchPages(front, back, stitch(1));
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->bitsPerPixel(), 8);
  EXPECT_EQ(joined->width(), 3400);
  EXPECT_EQ(joined->height(), 2200);
  EXPECT_EQ(pixelAt(*joined, 0, 0), 255u);      // the front, turned to grey
  EXPECT_EQ(pixelAt(*joined, 900, 2199), 0u);
  EXPECT_EQ(pixelAt(*joined, 1700, 99), 127u);  // above the back: mean grey
  EXPECT_EQ(pixelAt(*joined, 1700, 100), 40u);  // the back starts 100 rows down
  EXPECT_EQ(pixelAt(*joined, 3399, 2099), 40u);
  EXPECT_EQ(pixelAt(*joined, 3399, 2100), 127u);  // and ends 100 rows above the bottom
  EXPECT_EQ(joined->paletteEntry(200), (RgbQuad{200, 200, 200, 0}));
}

TEST(StitchPages, FrontAboveBackIsCentredAcrossAndFilledWithTheLeftColumnsColour) {
  Dib front = *Dib::create(10, 4, 24);
  Dib back = *Dib::create(6, 3, 24);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 10; ++x) setPixel(front, x, y, x == 0 ? (y < 2 ? 0x204060u : 0x4080A0u) : 0xFFFFFFu);
  }
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) setPixel(back, x, y, 0x010203);
  }
  const auto joined = StitchPages(front, back, stitch(2));
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->width(), 10);
  EXPECT_EQ(joined->height(), 7);
  // Per-channel mean of the front's leftmost column: (20+40)/2, (40+80)/2, (60+A0)/2.
  const std::uint32_t fill = 0x306080;
  EXPECT_EQ(pixelAt(*joined, 1, 4), fill);
  EXPECT_EQ(pixelAt(*joined, 2, 4), 0x010203u);  // back at (10 - 6) / 2 = 2
  EXPECT_EQ(pixelAt(*joined, 7, 6), 0x010203u);
  EXPECT_EQ(pixelAt(*joined, 8, 6), fill);
  EXPECT_EQ(pixelAt(*joined, 0, 3), 0x4080A0u);
}

TEST(StitchPages, OneBitPagesLandBitExactAtAnyOffset) {
  // A 13-pixel front puts the back at a bit offset inside a byte.
  const Dib front = patternPage(13, 5, 1, 3);
  const Dib back = patternPage(11, 9, 1, 4);
  const auto joined = StitchPages(front, back, stitch(1));
  ASSERT_TRUE(joined);
  EXPECT_EQ(joined->width(), 24);
  EXPECT_EQ(joined->height(), 9);
  for (int y = 0; y < 9; ++y) {
    for (int x = 0; x < 24; ++x) {
      std::uint32_t expected = 1;  // white fill
      if (x < 13 && y >= 2 && y < 7) expected = pixelAt(front, x, y - 2);
      if (x >= 13) expected = pixelAt(back, x - 13, y);
      ASSERT_EQ(pixelAt(*joined, x, y), expected) << x << "," << y;
    }
  }
}

TEST(StitchPages, UnknownStitchValuesStillKeepBothPages) {
  const Dib front = patternPage(8, 8, 8, 1);
  const Dib back = patternPage(8, 8, 8, 2);
  for (const int value : {0, 3, -1, 99}) {
    const auto joined = StitchPages(front, back, stitch(value));
    ASSERT_TRUE(joined) << value;
    EXPECT_EQ(joined->width(), 16) << value;  // side by side
    EXPECT_EQ(pixelAt(*joined, 8, 0), pixelAt(back, 0, 0));
  }
}

TEST(StitchPages, APageTooLargeToJoinIsRefusedNotCut) {
  const Dib front = *Dib::create(40000, 2, 1);
  const Dib back = *Dib::create(30000, 2, 1);
  EXPECT_FALSE(StitchPages(front, back, stitch(1)));
  EXPECT_TRUE(StitchPages(front, back, stitch(2)));
}

}  // namespace
}  // namespace ostrel
