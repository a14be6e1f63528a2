#include "imaging/cleanup/edge_cleanup.h"
#include "app/scan/page_steps/page_steps.h"

#include <gtest/gtest.h>

#include "tests/cleanup/pixels.h"

namespace ostrel {
namespace {

using testing::patternPage;
using testing::pixelAt;

CScanSetting edges(int size, int colour = 0) {
  CScanSetting profile;
  profile.edgeCleanUp = 1;
  profile.edgeCleanUpSize = size;
  profile.edgeCleanUpColor = colour;
  return profile;
}

TEST(CleanEdges, SizeZeroOrLessGivesAnEqualCopy) {
  for (const int bits : {1, 8, 24}) {
    const Dib page = patternPage(37, 23, bits);
    for (const int size : {0, -5}) {
      const auto out = CleanEdges(page, edges(size));
      ASSERT_TRUE(out);
      // Rows compared without their padding, which carries no pixels.
      for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) ASSERT_EQ(pixelAt(*out, x, y), pixelAt(page, x, y));
      }
      EXPECT_EQ(out->paletteSize(), page.paletteSize());
    }
  }
}

TEST(CleanEdges, ColourAndGreyMarginsAreExactPixels) {
  for (const int bits : {8, 24}) {
    const Dib page = patternPage(40, 30, bits);
    const auto out = CleanEdges(page, edges(3, 1));
    ASSERT_TRUE(out);
    for (int y = 0; y < 30; ++y) {
      for (int x = 0; x < 40; ++x) {
        const bool margin = y < 3 || y >= 27 || x < 3 || x >= 37;
        ASSERT_EQ(pixelAt(*out, x, y), margin ? 0u : pixelAt(page, x, y)) << bits << ": " << x << "," << y;
      }
    }
    const auto white = CleanEdges(page, edges(3, 0));
    EXPECT_EQ(pixelAt(*white, 0, 15), bits == 8 ? 0xFFu : 0xFFFFFFu);
  }
}

TEST(CleanEdges, OneBitSideMarginsShrinkToWholeBytes) {
  // 2550 pixels: bytes 0..318, the last holding pixels 2544..2549 and padding.
  const Dib page = patternPage(2550, 40, 1);
  const auto out = CleanEdges(page, edges(13, 1));
  ASSERT_TRUE(out);
  for (int y = 13; y < 27; ++y) {
    for (int x = 0; x < 2550; ++x) {
      // Left: only byte 0 (pixels 0..7) lies wholly in the 13-pixel margin.
      // Right: the margin starts at 2537; bytes from 318 (pixel 2544) are wholly in it.
      const bool filled = x < 8 || x >= 2544;
      ASSERT_EQ(pixelAt(*out, x, y), filled ? 0u : pixelAt(page, x, y)) << x << "," << y;
    }
  }
  for (int x = 0; x < 2550; ++x) ASSERT_EQ(pixelAt(*out, x, 12), 0u);  // top rows whole
}

TEST(CleanEdges, OneBitWhiteFollowsThePalette) {
  Dib page = patternPage(24, 10, 1);
  EXPECT_EQ(pixelAt(*CleanEdges(page, edges(2, 0)), 0, 0), 1u);  // set bit is white
  page.setPaletteEntry(0, {255, 255, 255, 0});
  page.setPaletteEntry(1, {0, 0, 0, 0});
  EXPECT_EQ(pixelAt(*CleanEdges(page, edges(2, 0)), 0, 0), 0u);  // here a clear bit is
}

TEST(CleanEdges, SizesOfHalfThePageOrMoreFillItAndStayInside) {
  for (const int bits : {1, 8, 24}) {
    // Tall and narrow, then short and wide: each way the margins meet in the middle.
    for (const auto& [w, h] : {std::pair{21, 40}, std::pair{40, 21}}) {
      const Dib page = patternPage(w, h, bits);
      for (const int size : {11, 21, 1000, 2147483647}) {
        const auto out = CleanEdges(page, edges(size, 1));
        ASSERT_TRUE(out);
        for (int y = 0; y < h; ++y) {
          for (int x = 0; x < w; ++x) {
            ASSERT_EQ(pixelAt(*out, x, y), 0u) << bits << " bits, size " << size << ": " << x << "," << y;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace ostrel
