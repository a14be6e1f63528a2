#include "imaging/writers/image_file_writers.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <tiffio.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>

#include "app/settings/profile_records.h"
#include "platform/environment.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"
#include "tests/writers/file_size_limit.h"
#include "tests/writers/sample_pages.h"

// Every umask() call of the test program comes here first, so a test sees
// whether the code under test changes the umask: that is process-wide, and a
// file another thread creates meanwhile (the fax worker's, a log) would take
// whatever the umask briefly was.
namespace {
std::atomic<int> umaskCalls{0};
}  // namespace

extern "C" mode_t umask(mode_t mask) noexcept {
  ++umaskCalls;
  return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace ostrel::writers {
namespace {

using testing::readWithFreeImage;
using testing::toRgb;

std::string folder() {
  const std::string path = testing::tempRoot() + "/out";
  platform::createFolderTree(path);
  return path;
}

// An 8-bit page whose table is not grey: blue to red, with every index used.
Dib palettePage() {
  Dib page = *Dib::create(64, 8, 8);
  for (int i = 0; i < 256; ++i) {
    page.setPaletteEntry(i, {static_cast<std::uint8_t>(255 - i), 0, static_cast<std::uint8_t>(i), 0});
  }
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 64; ++x) page.row(y)[x] = static_cast<std::uint8_t>(y * 32 + x % 32);
  }
  return page;
}

// A 1-bit page whose index 0 is white, as some scanners deliver.
Dib whiteIsZeroPage() {
  Dib page = testing::denseTextPage(300, 240);
  for (int y = 0; y < page.height(); ++y) {
    for (std::size_t i = 0; i < page.stride(); ++i) page.row(y)[i] = static_cast<std::uint8_t>(~page.row(y)[i]);
  }
  page.setPaletteEntry(0, {255, 255, 255, 0});
  page.setPaletteEntry(1, {0, 0, 0, 0});
  return page;
}

TEST(ImageFileWriters, BmpKeepsEveryPixelTheColourTableAndTheResolution) {
  const std::string dir = folder();
  Dib pages[] = {testing::denseTextPage(300, 240), palettePage(), testing::colourPage(101, 33)};
  for (const Dib& page : pages) {
    const std::string path = dir + "/page" + std::to_string(page.bitsPerPixel()) + ".bmp";
    ASSERT_TRUE(writeBmp(page, path)) << path;
    testing::FreeImageFile file;
    ASSERT_TRUE(readWithFreeImage(path, file));
    EXPECT_EQ(file.bitsPerPixel, page.bitsPerPixel());
    EXPECT_EQ(file.xDotsPerMetre, 11811);
    EXPECT_EQ(file.image.pixels, toRgb(page).pixels) << page.bitsPerPixel() << "-bit page";
  }
}

TEST(ImageFileWriters, JpegQualityIsOneHundredLessTheButtonSetting) {
  EXPECT_EQ(jpegQuality(25), 75);
  EXPECT_EQ(jpegQuality(1), 99);  // a new JPEG button, slider at "Best"
  EXPECT_EQ(jpegQuality(0), 100);
  EXPECT_EQ(jpegQuality(100), 1);  // out of range values stay encodable
  EXPECT_EQ(jpegQuality(-5), 100);
}

TEST(ImageFileWriters, JpegFollowsThePageAtItsQualityAndRecordsTruncatedDpi) {
  const std::string dir = folder();
  const Dib colour = testing::colourPage(320, 240);
  ASSERT_TRUE(writeImageFile(format::kJpeg, colour, dir + "/q75.jpg", 25));
  ASSERT_TRUE(writeImageFile(format::kJpeg, colour, dir + "/q99.jpg", 1));
  testing::FreeImageFile q75, q99;
  ASSERT_TRUE(readWithFreeImage(dir + "/q75.jpg", q75));
  ASSERT_TRUE(readWithFreeImage(dir + "/q99.jpg", q99));
  const double loss75 = meanDifference(q75.image, toRgb(colour));
  const double loss99 = meanDifference(q99.image, toRgb(colour));
  EXPECT_LT(loss75, 8.0);
  EXPECT_LT(loss99, loss75);
  EXPECT_GT(std::filesystem::file_size(dir + "/q99.jpg"), std::filesystem::file_size(dir + "/q75.jpg"));

  // JFIF density in dots per inch: 11811 dots per metre is 299.9994, written as 300.
  const std::string bytes = testing::readFile(dir + "/q75.jpg");
  ASSERT_EQ(bytes.substr(6, 5), std::string("JFIF\0", 5));
  EXPECT_EQ(bytes[13], 1);
  EXPECT_EQ((static_cast<unsigned char>(bytes[14]) << 8) | static_cast<unsigned char>(bytes[15]), 300);

  // Grey pages stay one-channel; a non-grey table is honoured through RGB.
  const Dib grey = testing::greyPage(200, 100);
  ASSERT_TRUE(writeJpeg(grey, dir + "/grey.jpg", 90));
  testing::FreeImageFile greyFile;
  ASSERT_TRUE(readWithFreeImage(dir + "/grey.jpg", greyFile));
  EXPECT_EQ(greyFile.bitsPerPixel, 8);
  EXPECT_LT(meanDifference(greyFile.image, toRgb(grey)), 4.0);
  const Dib coloured = palettePage();
  ASSERT_TRUE(writeJpeg(coloured, dir + "/palette.jpg", 95));
  testing::FreeImageFile palette;
  ASSERT_TRUE(readWithFreeImage(dir + "/palette.jpg", palette));
  EXPECT_EQ(palette.bitsPerPixel, 24);
  EXPECT_LT(meanDifference(palette.image, toRgb(coloured)), 12.0);
}

TEST(ImageFileWriters, GifGivesEightBitPagesAGreyPaletteAndKeepsOtherPagesLooks) {
  const std::string dir = folder();
  const Dib eight = palettePage();
  ASSERT_TRUE(writeGif(eight, dir + "/eight.gif"));
  testing::FreeImageFile file;
  ASSERT_TRUE(readWithFreeImage(dir + "/eight.gif", file));
  ASSERT_EQ(file.paletteSize, 256);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(file.palette[i], static_cast<std::uint32_t>(i * 0x010101)) << i;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 64; ++x) ASSERT_EQ(file.indices[y * 64 + x], eight.row(y)[x]);
  }

  const Dib bilevel = whiteIsZeroPage();
  ASSERT_TRUE(writeGif(bilevel, dir + "/one.gif"));
  testing::FreeImageFile one;
  ASSERT_TRUE(readWithFreeImage(dir + "/one.gif", one));
  EXPECT_EQ(one.image.pixels, toRgb(bilevel).pixels);

  const Dib colour = testing::colourPage(160, 120);
  ASSERT_TRUE(writeGif(colour, dir + "/colour.gif"));
  testing::FreeImageFile reduced;
  ASSERT_TRUE(readWithFreeImage(dir + "/colour.gif", reduced));
  EXPECT_EQ(reduced.bitsPerPixel, 8);
  EXPECT_LT(meanDifference(reduced.image, toRgb(colour)), 10.0);
}

TEST(ImageFileWriters, TiffUsesGroup4ForOneBitAndJpegForGreyAndColour) {
  const std::string dir = folder();
  const Dib text = testing::denseTextPage(600, 400);
  const Dib inverted = whiteIsZeroPage();
  const Dib grey = testing::greyPage(256, 128);
  const Dib colour = testing::colourPage(256, 128);
  struct Case {
    const Dib& page;
    int compression;
    int photometric;
  } cases[] = {{text, COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE},
               {inverted, COMPRESSION_CCITTFAX4, PHOTOMETRIC_MINISWHITE},
               {grey, COMPRESSION_JPEG, PHOTOMETRIC_MINISBLACK},
               {colour, COMPRESSION_JPEG, PHOTOMETRIC_YCBCR}};
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = dir + "/page" + std::to_string(++n) + ".tif";
    ASSERT_TRUE(writeImageFile(format::kTiff, c.page, path, 0)) << path;
    const auto pages = testing::readTiff(path);
    ASSERT_EQ(pages.size(), 1u) << path;
    EXPECT_EQ(pages[0].compression, c.compression) << path;
    EXPECT_EQ(pages[0].photometric, c.photometric) << path;
    EXPECT_FLOAT_EQ(pages[0].xResolution, 300.0f);
    EXPECT_FLOAT_EQ(pages[0].yResolution, 300.0f);
    if (c.compression == COMPRESSION_CCITTFAX4) {
      EXPECT_EQ(pages[0].image.pixels, toRgb(c.page).pixels) << path;
    } else {
      EXPECT_LT(meanDifference(pages[0].image, toRgb(c.page)), 6.0) << path;
    }
  }
}

// A scan's resolution survives as the whole dpi it was scanned at: whole dots
// per metre only come near 300 dpi (11811) and 100 dpi (3937), and a truncated
// 299 or 99 would make every viewer show the page a little too large.
TEST(ImageFileWriters, ResolutionIsTheNearestWholeDpiInJpegAndTiffAndDotsPerMetreInBmp) {
  const std::string dir = folder();
  for (const int dpi : {300, 100}) {
    const int dotsPerMetre = dpi == 300 ? 11811 : 3937;
    for (const int bits : {8, 1}) {
      Dib page = bits == 8 ? testing::greyPage(64, 32) : testing::denseTextPage(64, 32);
      page.setResolution(dotsPerMetre, dotsPerMetre);
      const std::string name = dir + "/p" + std::to_string(dpi) + "-" + std::to_string(bits);
      SCOPED_TRACE(name);

      if (bits == 8) {  // JPEG takes no 1-bit pages
        ASSERT_TRUE(writeImageFile(format::kJpeg, page, name + ".jpg", 0));
        const std::string jpeg = testing::readFile(name + ".jpg");
        ASSERT_GT(jpeg.size(), 18u);
        const auto bigEndian = [&](std::size_t at) {
          return (static_cast<unsigned char>(jpeg[at]) << 8) | static_cast<unsigned char>(jpeg[at + 1]);
        };
        EXPECT_EQ(jpeg[13], 1);  // dots per inch
        EXPECT_EQ(bigEndian(14), dpi);
        EXPECT_EQ(bigEndian(16), dpi);
      }

      // The rational is written as a whole number over one.
      ASSERT_TRUE(writeImageFile(format::kTiff, page, name + ".tif", 0));
      const auto tiff = testing::readTiff(name + ".tif");
      ASSERT_EQ(tiff.size(), 1u);
      EXPECT_EQ(tiff[0].xResolution, static_cast<float>(dpi));
      EXPECT_EQ(tiff[0].yResolution, static_cast<float>(dpi));
      const std::string dump = testing::runCommand("tiffdump " + testing::quoted(name + ".tif")).output;
      EXPECT_NE(dump.find("XResolution (282) RATIONAL (5) 1<" + std::to_string(dpi) + ">"), std::string::npos)
          << dump;

      ASSERT_TRUE(writeImageFile(format::kBmp, page, name + ".bmp", 0));
      testing::FreeImageFile bmp;
      ASSERT_TRUE(readWithFreeImage(name + ".bmp", bmp));
      EXPECT_EQ(bmp.xDotsPerMetre, dotsPerMetre);
    }
  }
}

TEST(ImageFileWriters, FailuresAreReportedAndLeaveNothingBehind) {
  const std::string dir = folder();
  testing::writeFile(dir + "/plain-file", "not a folder");
  const Dib page = testing::greyPage(64, 64);
  for (int code : {format::kBmp, format::kJpeg, format::kGif, format::kTiff}) {
    for (const std::string& path : {dir + "/missing/Scan0001.x", dir + "/plain-file/Scan0001.x"}) {
      const WriteResult result = writeImageFile(code, page, path, 0);
      EXPECT_FALSE(result) << code << " " << path;
      EXPECT_NE(result.error().find(path), std::string::npos) << result.error();
    }
  }
  const WriteResult multi = writeImageFile(format::kMultiTiff, page, dir + "/Scan.tif", 0);
  EXPECT_FALSE(multi);
  const WriteResult bilevelJpeg = writeJpeg(testing::denseTextPage(64, 64), dir + "/Scan.jpg", 75);
  EXPECT_FALSE(bilevelJpeg);
  EXPECT_EQ(testing::folderEntries(dir), std::vector<std::string>{"plain-file"});
}

TEST(ImageFileWriters, AFailedWriteKeepsTheOlderFileOfThatName) {
  const std::string dir = folder();
  const Dib colour = testing::colourPage(400, 300);
  for (const char* name : {"Scan.bmp", "Scan.jpg", "Scan.gif", "Scan.tif"}) {
    testing::writeFile(dir + "/" + name, "older file");
  }
  {
    testing::FileSizeLimit diskFull(2000);
    EXPECT_FALSE(writeBmp(colour, dir + "/Scan.bmp"));
    EXPECT_FALSE(writeJpeg(colour, dir + "/Scan.jpg", 75));
    EXPECT_FALSE(writeGif(colour, dir + "/Scan.gif"));
    EXPECT_FALSE(writeTiff(colour, dir + "/Scan.tif"));
  }
  for (const char* name : {"Scan.bmp", "Scan.jpg", "Scan.gif", "Scan.tif"}) {
    EXPECT_EQ(testing::readFile(dir + "/" + name), "older file") << name;
  }
  EXPECT_EQ(testing::folderEntries(dir).size(), 4u);
  ASSERT_TRUE(writeJpeg(colour, dir + "/Scan.jpg", 75));
  EXPECT_NE(testing::readFile(dir + "/Scan.jpg"), "older file");
}

TEST(ImageFileWriters, FilesTakeTheUmaskWhichWritingNeverChanges) {
  const std::string dir = folder();
  const mode_t previous = ::umask(027);
  const int callsBefore = umaskCalls;
  const Dib page = testing::greyPage(64, 32);
  const std::pair<const char*, int> files[] = {
      {"a.bmp", format::kBmp}, {"a.jpg", format::kJpeg}, {"a.gif", format::kGif}, {"a.tif", format::kTiff}};
  for (const auto& [name, code] : files) EXPECT_TRUE(writeImageFile(code, page, dir + "/" + name, 0)) << name;
  const int callsDuring = umaskCalls - callsBefore;
  ::umask(previous);
  EXPECT_EQ(callsDuring, 0);
  for (const auto& [name, code] : files) {
    struct stat st {};
    ASSERT_EQ(::stat((dir + "/" + name).c_str(), &st), 0) << name;
    EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
  }
}

TEST(ImageFileWriters, AnyFileNameTheFileSystemTakesWorks) {
  const std::string dir = testing::tempRoot() + "/Größe 文书 été";
  ASSERT_TRUE(platform::createFolderTree(dir));
  const Dib page = testing::greyPage(64, 32);
  const std::pair<const char*, int> files[] = {
      {"a.bmp", format::kBmp}, {"a.jpg", format::kJpeg}, {"a.gif", format::kGif}, {"a.tif", format::kTiff}};
  for (const auto& [name, code] : files) {
    const std::string path = dir + "/" + name;
    EXPECT_TRUE(writeImageFile(code, page, path, 0)) << path;
    EXPECT_TRUE(platform::fileExists(path)) << path;
  }

  // Names at the file system's 255-byte limit, whose temporary names would not
  // fit uncut (one cut inside a two-byte character).
  std::string longName;
  for (int i = 0; i < 125; ++i) longName += "é";
  longName += "x";
  for (const auto& [extension, code] : files) {
    const std::string path = dir + "/" + longName + (extension + 1);
    ASSERT_EQ(longName.size() + std::strlen(extension + 1), 255u);
    EXPECT_TRUE(writeImageFile(code, page, path, 0)) << extension;
    EXPECT_TRUE(platform::fileExists(path)) << extension;
  }
  EXPECT_EQ(testing::folderEntries(dir).size(), 8u);  // no temporary file left behind
}

}  // namespace
}  // namespace ostrel::writers
