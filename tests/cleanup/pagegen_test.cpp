#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/support/temp_home.h"
#include "imaging/image_file_reader.h"
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

// Levels of an 8-bit page darker than `below`, counted in a box of rows and columns.
long darkIn(const Dib& page, int below, int x0, int x1, int y0, int y1) {
  long dark = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) dark += page.row(y)[x] < below;
  }
  return dark;
}

TEST(PageGenerator, ANarrowerSheetLiesAgainstOneSideWithTheBackingAroundIt) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(100, 8, Content::Blank, 3);
  pageSpec.defects.border = pagegen::Border::Wide;
  const auto page = pagegen::generatePage(pageSpec);
  ASSERT_TRUE(page);
  // 6 to 14 mm (24 to 55 pixels) of backing along one side and one end, none on the others.
  const int w = page->width(), h = page->height();
  const bool left = darkIn(*page, 60, 0, 20, 0, h) == 20L * h, right = darkIn(*page, 60, w - 20, w, 0, h) == 20L * h;
  const bool top = darkIn(*page, 60, 0, w, 0, 20) == 20L * w, bottom = darkIn(*page, 60, 0, w, h - 20, h) == 20L * w;
  EXPECT_NE(left, right);
  EXPECT_NE(top, bottom);
  EXPECT_EQ(darkIn(*page, 60, 60, w - 60, 60, h - 60), 0);  // the sheet itself is paper
}

// Marks by the edges are drawn before the border, yet the border never hides
// them: what the content adds to the same page without it lies clear of
// anything the border drew. Seed 15014 once put a corner number
// under a wedge of backing, a "content" page that was blank.
TEST(PageGenerator, MarksByTheEdgesKeepClearOfTheBorder) {
  for (const Content content : {Content::CornerNumber, Content::EdgeNote}) {
    for (const auto border : {pagegen::Border::Band, pagegen::Border::Wedge, pagegen::Border::Shadow}) {
      for (const bool blackBacking : {true, false}) {
        for (std::uint64_t seed = 15000; seed < 15030; ++seed) {
          SCOPED_TRACE(::testing::Message() << "content " << static_cast<int>(content) << ", border "
                                          << static_cast<int>(border) << ", black " << blackBacking << ", seed "
                                          << seed);
          pagegen::PageSpec pageSpec = pagegen::letterPage(100, 8, content, seed);
          pageSpec.defects.border = border;
          pageSpec.blackBacking = blackBacking;
          const auto marked = pagegen::generatePage(pageSpec);
          pageSpec.content = Content::Blank;
          const auto bare = pagegen::generatePage(pageSpec);
          ASSERT_TRUE(marked && bare);
          const int w = bare->width(), h = bare->height();
          int x0 = w, x1 = -1, y0 = h, y1 = -1;
          for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
              if (marked->row(y)[x] == bare->row(y)[x]) continue;
              x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
          }
          ASSERT_GE(x1, 0) << "the content is hidden";
          // Two pixels are half a millimetre at 100 dpi: the border's soft edge
          // and the pen's reach past the figures' outline take up the rest.
          const int paper = bare->row(h / 2)[w / 2], clear = 2;
          EXPECT_EQ(darkIn(*bare, paper, std::max(0, x0 - clear), std::min(w, x1 + clear + 1), std::max(0, y0 - clear),
                           std::min(h, y1 + clear + 1)),
                    0);
        }
      }
    }
  }
}

TEST(PageGenerator, PencilIsFaintHeavyBleedIsDarkerAndSaltIsSpecks) {
  pagegen::PageSpec pencil = pagegen::letterPage(150, 8, Content::PencilWord, 4);
  const auto word = pagegen::generatePage(pencil);
  const int w = word->width(), h = word->height();
  // Paper at 249: the pencil lies 60 to 110 levels below it, never as dark as pen.
  EXPECT_GT(darkIn(*word, 249 - 50, 0, w, 0, h), 20);
  EXPECT_EQ(darkIn(*word, 249 - 115, 0, w, 0, h), 0);

  pagegen::PageSpec bleed = pagegen::letterPage(150, 8, Content::Blank, 4);
  bleed.defects.bleedThrough = true;
  pagegen::PageSpec heavy = bleed;
  heavy.defects.heavyBleed = true;
  const auto faint = pagegen::generatePage(bleed), dark = pagegen::generatePage(heavy);
  // Spread out, not lost: more ink in all, yet no darker than a fifth of the light.
  const auto inkOf = [w, h](const Dib& page) {
    long sum = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) sum += 249 - std::min(249, int{page.row(y)[x]});
    }
    return sum;
  };
  EXPECT_GT(inkOf(*dark), inkOf(*faint) * 6 / 5);
  EXPECT_EQ(darkIn(*dark, 249 - 52, 0, w, 0, h), 0);

  pagegen::PageSpec salted = pagegen::letterPage(200, 1, Content::Blank, 4);
  salted.defects.salt = 10;  // 603 square cm: some 6000 specks of one or two pixels
  const auto specks = pagegen::generatePage(salted);
  long black = 0;
  for (int y = 0; y < specks->height(); ++y) {
    for (int x = 0; x < specks->width(); ++x) black += ((specks->row(y)[x / 8] >> (7 - x % 8)) & 1) == 0;
  }
  EXPECT_GT(black, 6000);
  EXPECT_LT(black, 8000);
}

TEST(PageFiles, PagesSurviveTheRoundTrip) {
  for (const auto& [bits, name] : {std::pair{1, "page.tif"}, std::pair{8, "page.png"}, std::pair{24, "page.bmp"}}) {
    const auto page = pagegen::generatePage(everyFault(bits, 2));
    const std::string path = testing::tempRoot() + "/" + name;
    ASSERT_TRUE(pagegen::savePage(*page, path));
    const auto back = readImageFile(path);
    ASSERT_TRUE(back) << name;
    EXPECT_EQ(back->bitsPerPixel(), bits);
    for (int y = 0; y < page->height(); y += 97) {
      ASSERT_TRUE(std::equal(page->row(y), page->row(y) + (page->width() * bits + 7) / 8, back->row(y))) << name;
    }
  }
  std::string error;
  EXPECT_FALSE(readImageFile(testing::tempRoot() + "/missing.png", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace ostrel
