#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/temp_home.h"
#include "tools/pagegen/page_files.h"
#include "tools/pagegen/page_generator.h"

namespace ostrel {
namespace {

using pagegen::Content;

std::vector<std::uint8_t> bytesOf(const Dib& page) { return {page.packed().begin(), page.packed().end()}; }

pagegen::PageSpec everyFault(int bits, std::uint64_t seed) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(150, bits, Content::SparseText, seed);
  pageSpec.defects = {4, 50, pagegen::Border::Wedge, true, true};
  pageSpec.barcodes.push_back({pagegen::Symbology::QrCode, "SEED", 100, 100});
  return pageSpec;
}

TEST(PageGenerator, APageIsItsSpecAndItsSeed) {
  const auto first = pagegen::generatePage(everyFault(24, 5));
  const auto again = pagegen::generatePage(everyFault(24, 5));
  const auto other = pagegen::generatePage(everyFault(24, 6));
  ASSERT_TRUE(first && again && other);
  EXPECT_EQ(bytesOf(*first), bytesOf(*again));
  EXPECT_NE(bytesOf(*first), bytesOf(*other));
}

TEST(PageGenerator, SizeDepthAndResolution) {
  for (const int bits : {1, 8, 24}) {
    const auto page = pagegen::generatePage(everyFault(bits, 1));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->width(), 1275);
    EXPECT_EQ(page->height(), 1650);
    EXPECT_EQ(page->bitsPerPixel(), bits);
    EXPECT_EQ(page->xDotsPerMetre(), 5906);
  }
  pagegen::PageSpec odd = everyFault(16, 1);
  EXPECT_FALSE(pagegen::generatePage(odd));
  odd = everyFault(8, 1);
  odd.width = 0;
  EXPECT_FALSE(pagegen::generatePage(odd));
}

TEST(PageGenerator, BarcodesTheWriterCannotEncodeAreRefused) {
  pagegen::Barcode letters{pagegen::Symbology::Ean13, "NOT-DIGITS"};
  EXPECT_FALSE(pagegen::barcodeSize(letters, 300));
  pagegen::PageSpec pageSpec = everyFault(8, 1);
  pageSpec.barcodes = {letters};
  EXPECT_FALSE(pagegen::generatePage(pageSpec));
  // A turned code swaps its footprint.
  const pagegen::Barcode upright{pagegen::Symbology::Code128, "ABC"};
  pagegen::Barcode turned = upright;
  turned.rotation = 90;
  EXPECT_EQ(pagegen::barcodeSize(upright, 300)->width, pagegen::barcodeSize(turned, 300)->height);
}

TEST(PageFiles, PagesSurviveTheRoundTrip) {
  for (const auto& [bits, name] : {std::pair{1, "page.tif"}, std::pair{8, "page.png"}, std::pair{24, "page.bmp"}}) {
    const auto page = pagegen::generatePage(everyFault(bits, 2));
    const std::string path = testing::tempRoot() + "/" + name;
    ASSERT_TRUE(pagegen::savePage(*page, path));
    const auto back = pagegen::loadPage(path);
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(back->bitsPerPixel(), bits);
    for (int y = 0; y < page->height(); y += 97) {
      ASSERT_TRUE(std::equal(page->row(y), page->row(y) + (page->width() * bits + 7) / 8, back->row(y))) << name;
    }
  }
  std::string error;
  EXPECT_FALSE(pagegen::loadPage(testing::tempRoot() + "/missing.png", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ostrel
