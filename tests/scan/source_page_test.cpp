// The image files a virtual feeder takes, each read with FreeImage into a sheet
// at the file's own resolution.
#include "scanners/sourcemanager/source_page.h"

#include <gtest/gtest.h>

#include "tests/support/temp_home.h"
#include "tools/pagegen/page_files.h"

namespace ostrel::virtualscanner {
namespace {

constexpr int kDotsPerMetre200 = 7874;

// 40 x 20 pixels at 200 dpi: the left half black, the right half white (red in colour).
Dib halves(int bits) {
  auto page = Dib::create(40, 20, bits, kDotsPerMetre200, kDotsPerMetre200);
  for (int y = 0; y < page->height(); ++y) {
    std::uint8_t* row = page->row(y);
    for (int x = page->width() / 2; x < page->width(); ++x) {
      if (bits == 1) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      if (bits == 8) row[x] = 255;
      if (bits == 24) row[3 * x + 2] = 255;
    }
  }
  return std::move(*page);
}

// The same picture as a binary PNM file, written from the format's definition
// (PBM: 1 is black); PNM records no resolution.
std::string pnm(int bits) {
  const char* magic = bits == 1 ? "P4" : bits == 8 ? "P5" : "P6";
  std::string file = std::string(magic) + "\n40 20\n" + (bits == 1 ? "" : "255\n");
  for (int y = 0; y < 20; ++y) {
    if (bits == 1) {
      file += std::string("\xFF\xFF\xF0\x00\x00", 5);
      continue;
    }
    for (int x = 0; x < 40; ++x) {
      if (bits == 8) file += static_cast<char>(x < 20 ? 0 : 255);
      if (bits == 24) file += x < 20 ? std::string(3, '\0') : std::string("\xFF\x00\x00", 3);
    }
  }
  return file;
}

TEST(SourcePage, EveryFeederFormatReadsAsASheet) {
  const std::string folder = testing::tempRoot() + "/";
  struct Case {
    const char* name;
    int bits;
    bool byHand;  // PNM; the others are written with FreeImage
    double dpi;
    int tolerance;
  };
  for (const Case& c : {Case{"a.png", 24, false, 200, 0}, Case{"b.tif", 1, false, 200, 0},
                        Case{"c.tif", 8, false, 200, 0}, Case{"d.jpg", 24, false, 200, 40},
                        Case{"e.bmp", 8, false, 200, 0}, Case{"f.pbm", 1, true, 300, 0},
                        Case{"g.pgm", 8, true, 300, 0}, Case{"h.ppm", 24, true, 300, 0}}) {
    SCOPED_TRACE(c.name);
    const std::string path = folder + c.name;
    if (c.byHand) {
      testing::writeFile(path, pnm(c.bits));
    } else {
      ASSERT_TRUE(pagegen::savePage(halves(c.bits), path));
    }
    EXPECT_TRUE(isPageImageName(c.name));
    std::string error;
    const auto sheet = readPageImage(path, &error);
    ASSERT_TRUE(sheet) << error;
    EXPECT_EQ(sheet->image.bitsPerPixel(), 24);
    EXPECT_EQ(sheet->image.width(), 40);
    EXPECT_EQ(sheet->image.height(), 20);
    EXPECT_EQ(sheet->xDpi, c.dpi);  // files without a resolution count as 300 dpi
    EXPECT_EQ(sheet->yDpi, c.dpi);
    const std::uint8_t* left = sheet->image.row(10) + 3 * 5;
    const std::uint8_t* right = sheet->image.row(10) + 3 * 35;
    for (int channel = 0; channel < 3; ++channel) EXPECT_LE(left[channel], c.tolerance) << channel;
    EXPECT_GE(right[2], 255 - c.tolerance);  // white or red: full red either way
    EXPECT_LT(sheet->grey.row(10)[5], sheet->grey.row(10)[35]);
  }
}

// Scanners save 16-bit grey and 48-bit colour; such a folder used to give a
// stack without those pages.
TEST(SourcePage, SixteenBitScansReadAsTheirHighByte) {
  const std::string folder = testing::tempRoot() + "/";
  for (const int channels : {1, 3}) {
    std::string file = std::string(channels == 1 ? "P5" : "P6") + "\n40 20\n65535\n";
    for (int y = 0; y < 20; ++y) {
      for (int x = 0; x < 40; ++x) {
        // Left 0x0102, right 0xF0E0 in every channel but green on the right.
        for (int channel = 0; channel < channels; ++channel) {
          const bool dark = x < 20 || channel == 1;
          file += dark ? std::string("\x01\x02", 2) : std::string("\xF0\xE0", 2);
        }
      }
    }
    const std::string path = folder + (channels == 1 ? "grey16.pgm" : "colour48.ppm");
    testing::writeFile(path, file);
    std::string error;
    const auto sheet = readPageImage(path, &error);
    ASSERT_TRUE(sheet) << path << ": " << error;
    EXPECT_EQ(sheet->image.width(), 40);
    const std::uint8_t* left = sheet->image.row(10) + 3 * 5;
    const std::uint8_t* right = sheet->image.row(10) + 3 * 35;
    EXPECT_EQ(left[2], 1);
    EXPECT_EQ(right[2], 0xF0);
    EXPECT_EQ(right[1], channels == 1 ? 0xF0 : 1);
  }
}

TEST(SourcePage, FeederTakesImageFilesByExtension) {
  for (const char* name : {"A.PNG", "scan.TIFF", "x.jpeg", "y.Ppm"}) EXPECT_TRUE(isPageImageName(name)) << name;
  for (const char* name : {"notes.txt", "png", "archive.tif.gz", ""}) EXPECT_FALSE(isPageImageName(name)) << name;

  std::string error;
  testing::writeFile(testing::tempRoot() + "/broken.png", "not a picture");
  EXPECT_FALSE(readPageImage(testing::tempRoot() + "/broken.png", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ostrel::virtualscanner
