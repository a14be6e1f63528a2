#include "imaging/cleanup/rotation.h"

#include <gtest/gtest.h>

#include "tests/cleanup/pixels.h"

namespace ostrel {
namespace {

using testing::patternPage;
using testing::pixelAt;
using testing::setPixel;

class RotationAtDepth : public ::testing::TestWithParam<int> {};

TEST_P(RotationAtDepth, TopLeftPixelOfALetterPageLandsInTheRightCorner) {
  const int bits = GetParam();
  Dib page = *Dib::create(2550, 3300, bits);
  const std::uint32_t mark = bits == 1 ? 1 : bits == 8 ? 0x7F : 0x123456;
  setPixel(page, 0, 0, mark);

  const auto left = RotateLeft(page);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->width(), 3300);
  EXPECT_EQ(left->height(), 2550);
  EXPECT_EQ(pixelAt(*left, 0, 2549), mark);  // bottom-left
  EXPECT_EQ(pixelAt(*left, 0, 0), 0u);

  const auto right = RotateRight(page);
  ASSERT_TRUE(right);
  EXPECT_EQ(right->width(), 3300);
  EXPECT_EQ(pixelAt(*right, 3299, 0), mark);  // top-right

  const auto half = Rotate180(page);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->width(), 2550);
  EXPECT_EQ(pixelAt(*half, 2549, 3299), mark);  // bottom-right
  EXPECT_EQ(pixelAt(*half, 0, 0), 0u);
}

// Every pixel of pages whose widths and heights are not multiples of 8 or 4,
// against the mapping written out: left (x, y) -> (y, W-1-x), right (x, y) ->
// (H-1-y, x), half turn (x, y) -> (W-1-x, H-1-y). Pages past a 64-pixel tile,
// and ones a few pixels either side of a 4 x 4 block's reach, check the block
// turns' seams.
TEST_P(RotationAtDepth, EveryPixelMovesByTheMapping) {
  const int bits = GetParam();
  for (const auto& [w, h] : {std::pair{13, 7}, std::pair{8, 17}, std::pair{1, 9}, std::pair{33, 1}, std::pair{70, 67},
                             std::pair{131, 97}, std::pair{6, 10}, std::pair{10, 6}, std::pair{9, 11}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const Dib page = patternPage(w, h, bits, static_cast<std::uint32_t>(w * h));
    const auto left = RotateLeft(page);
    const auto right = RotateRight(page);
    const auto half = Rotate180(page);
    ASSERT_TRUE(left && right && half);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t v = pixelAt(page, x, y);
        ASSERT_EQ(pixelAt(*left, y, w - 1 - x), v) << x << "," << y;
        ASSERT_EQ(pixelAt(*right, h - 1 - y, x), v) << x << "," << y;
        ASSERT_EQ(pixelAt(*half, w - 1 - x, h - 1 - y), v) << x << "," << y;
      }
    }
  }
}

// Colour pages as wide and as tall as a page, with rows padded: the turned
// rows' padding stays clear, and the input's padding (marked) shows nowhere.
TEST(Rotation, ColourRowsEndWhereTheirPaddingBegins) {
  for (const auto& [w, h] : {std::pair{2550, 61}, std::pair{61, 2550}, std::pair{102, 103}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Dib page = patternPage(w, h, 24, 3);
    for (int y = 0; y < h; ++y) {
      for (std::size_t i = 3 * static_cast<std::size_t>(w); i < page.stride(); ++i) page.row(y)[i] = 0xEE;
    }
    const auto left = RotateLeft(page);
    const auto right = RotateRight(page);
    ASSERT_TRUE(left && right);
    for (const Dib* turned : {&*left, &*right}) {
      for (int y = 0; y < turned->height(); ++y) {
        for (std::size_t i = 3 * static_cast<std::size_t>(h); i < turned->stride(); ++i) {
          ASSERT_EQ(turned->row(y)[i], 0) << "row " << y;
        }
      }
    }
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(pixelAt(*left, y, w - 1 - x), pixelAt(page, x, y)) << x << "," << y;
        ASSERT_EQ(pixelAt(*right, h - 1 - y, x), pixelAt(page, x, y)) << x << "," << y;
      }
    }
  }
}

TEST_P(RotationAtDepth, PaletteAndResolutionTravelAndPaddingStaysClear) {
  const int bits = GetParam();
  Dib page = patternPage(11, 5, bits);
  page.setResolution(7874, 3937);  // 200 x 100 dpi
  if (bits == 1) {
    page.setPaletteEntry(0, {255, 255, 255, 0});
    page.setPaletteEntry(1, {0, 0, 0, 0});
  }
  // A quarter turn swaps the resolutions with the sides they measure.
  const auto left = RotateLeft(page), right = RotateRight(page), half = Rotate180(page);
  for (const auto* quarter : {&left, &right}) {
    ASSERT_TRUE(*quarter);
    EXPECT_EQ((*quarter)->xDotsPerMetre(), 3937);
    EXPECT_EQ((*quarter)->yDotsPerMetre(), 7874);
  }
  ASSERT_TRUE(half);
  EXPECT_EQ(half->xDotsPerMetre(), 7874);
  EXPECT_EQ(half->yDotsPerMetre(), 3937);
  for (const auto* turned : {&left, &right, &half}) {
    const Dib& out = **turned;
    for (int i = 0; i < page.paletteSize(); ++i) EXPECT_EQ(out.paletteEntry(i), page.paletteEntry(i));
    if (bits == 1) {
      // Bits past the width are padding and must not carry pixels.
      for (int y = 0; y < out.height(); ++y) {
        const std::uint8_t last = out.row(y)[(out.width() - 1) / 8];
        const int used = (out.width() - 1) % 8 + 1;
        EXPECT_EQ(last & (0xFF >> used), 0) << "row " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, RotationAtDepth, ::testing::Values(1, 8, 24));

}  // namespace
}  // namespace ostrel
