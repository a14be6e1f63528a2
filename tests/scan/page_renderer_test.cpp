#include "scanners/sourcemanager/page_renderer.h"

#include <gtest/gtest.h>

namespace ostrel::virtualscanner {
namespace {

// A 1 x 2 inch sheet at 100 dpi: white with a black first column and a red
// square in its lower half.
SourcePage sheet() {
  auto image = Dib::create(100, 200, 24);
  for (int y = 0; y < 200; ++y) {
    std::uint8_t* row = image->row(y);
    for (int x = 0; x < 100; ++x) {
      const bool red = y >= 150 && x >= 40 && x < 60;
      row[3 * x] = x == 0 || red ? 0 : 255;
      row[3 * x + 1] = x == 0 || red ? 0 : 255;
      row[3 * x + 2] = x == 0 ? 0 : 255;
    }
  }
  return makeSheet(std::move(*image), 100, 100);
}

TEST(PageRenderer, CentredSheetLinesUpWithTheFrame) {
  ScanGeometry geometry;
  geometry.xDpi = geometry.yDpi = 100;
  geometry.sheetLeft = 0.5;  // a 2-inch wide scan area with the sheet in its middle
  geometry.frame = FrameInches{0.5, 0, 1.5, 2};
  const auto page = renderPage(sheet(), geometry, PixelType::Colour);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->width(), 100);
  EXPECT_EQ(page->row(0)[0], 0);    // the sheet's black first column
  EXPECT_EQ(page->row(0)[3], 255);

  geometry.frame = FrameInches{0, 0, 2, 2};  // the whole area: white beside the sheet
  const auto wide = renderPage(sheet(), geometry, PixelType::Grey);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->width(), 200);
  EXPECT_EQ(wide->bitsPerPixel(), 8);
  EXPECT_EQ(wide->row(10)[49], 255);
  EXPECT_EQ(wide->row(10)[50], 0);
}

TEST(PageRenderer, ResolutionAndBlackAndWhite) {
  ScanGeometry geometry;
  geometry.xDpi = geometry.yDpi = 300;
  const auto page = renderPage(sheet(), geometry, PixelType::BlackWhite);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->width(), 300);
  EXPECT_EQ(page->height(), 600);
  EXPECT_EQ(page->bitsPerPixel(), 1);
  EXPECT_EQ(page->xDpi(), 300);          // 11811 dots per metre, rounded
  EXPECT_EQ(page->row(0)[0], 0x1F);      // three black pixels for the first column, then white
  EXPECT_EQ(page->row(500)[15], 0x00);   // the red square is dark: black
}

TEST(PageRenderer, ColourDetectionAndOversizedFrames) {
  EXPECT_TRUE(hasColour(sheet().image));
  auto grey = Dib::create(64, 64, 24);
  EXPECT_FALSE(hasColour(*grey));

  ScanGeometry geometry;
  geometry.xDpi = geometry.yDpi = 1200;
  geometry.frame = FrameInches{0, 0, 60, 2};  // 72000 pixels wide
  EXPECT_FALSE(renderPage(sheet(), geometry, PixelType::Grey));
}

}  // namespace
}  // namespace ostrel::virtualscanner
