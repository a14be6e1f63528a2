#include "imaging/dib.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrel {
namespace {

TEST(Dib, LayoutOfANewImage) {
  auto dib = Dib::create(2550, 3300, 1);
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib->stride(), 320u);  // 2550 bits -> 319 bytes -> padded to 320
  EXPECT_EQ(dib->packed().size(), 40u + 8u + 320u * 3300u);
  EXPECT_TRUE(dib->zeroIsBlack());
  EXPECT_EQ(dib->xDotsPerMetre(), 11811);
  EXPECT_EQ(dib->xDpi(), 300);  // 299.9994, to the nearest whole dpi

  auto grey = Dib::create(3, 2, 8);
  EXPECT_EQ(grey->stride(), 4u);
  EXPECT_EQ(grey->paletteEntry(200), (RgbQuad{200, 200, 200, 0}));
  auto colour = Dib::create(5, 1, 24);
  EXPECT_EQ(colour->stride(), 16u);
  EXPECT_EQ(colour->paletteSize(), 0);
}

TEST(Dib, PagesToOverwriteStillHaveClearedRowPadding) {
  // 5 colour pixels take 15 of 16 bytes; 13 one-bit pixels 2 bytes, padded to 4.
  for (auto [width, bits] : {std::pair{5, 24}, std::pair{13, 1}}) {
    auto dib = Dib::createForOverwrite(width, 3, bits);
    ASSERT_TRUE(dib);
    const std::size_t firstPadding = static_cast<std::size_t>(width * bits / 8);
    for (int y = 0; y < 3; ++y) {
      for (std::size_t i = firstPadding; i < dib->stride(); ++i) EXPECT_EQ(dib->row(y)[i], 0) << width;
    }
  }
}

TEST(Dib, RowsAreCountedFromTheTopAndStoredBottomUp) {
  auto dib = Dib::create(4, 3, 8);
  dib->row(0)[0] = 11;  // top row
  dib->row(2)[0] = 33;  // bottom row
  EXPECT_EQ(dib->pixels()[0], 33);
  EXPECT_EQ(dib->pixels()[2 * dib->stride()], 11);
}

TEST(Dib, PackedRoundTripAndClone) {
  auto dib = Dib::create(10, 7, 24, 3937, 3937);
  dib->row(3)[5] = 0x5a;
  auto copy = Dib::fromPacked(dib->packed());
  ASSERT_TRUE(copy);
  EXPECT_EQ(std::vector<std::uint8_t>(copy->packed().begin(), copy->packed().end()),
            std::vector<std::uint8_t>(dib->packed().begin(), dib->packed().end()));
  Dib cloned = dib->clone();
  cloned.row(3)[5] = 0;
  EXPECT_EQ(dib->row(3)[5], 0x5a);
  EXPECT_EQ(copy->xDpi(), 100);  // 3937 dots per metre: 99.9998
}

TEST(Dib, ShortColourTableIsCompletedWithBlack) {
  auto dib = Dib::create(8, 1, 8);
  std::vector<std::uint8_t> packed(dib->packed().begin(), dib->packed().begin() + 40);
  packed[32] = 2;  // two colours used
  packed[33] = 0;
  for (std::uint8_t c : {10, 20, 30, 0, 40, 50, 60, 0}) packed.push_back(c);
  packed.insert(packed.end(), 8, 1);
  auto read = Dib::fromPacked(packed);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->paletteEntry(1), (RgbQuad{40, 50, 60, 0}));
  EXPECT_EQ(read->paletteEntry(2), (RgbQuad{0, 0, 0, 0}));
  EXPECT_EQ(read->row(0)[7], 1);
}

TEST(Dib, RefusesHeadersThatLie) {
  auto dib = Dib::create(16, 16, 8);
  const std::vector<std::uint8_t> good(dib->packed().begin(), dib->packed().end());
  auto broken = [&](std::size_t offset, std::uint32_t value) {
    std::vector<std::uint8_t> bytes = good;
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    std::string error;
    EXPECT_FALSE(Dib::fromPacked(bytes, &error)) << offset;
    EXPECT_FALSE(error.empty());
  };
  broken(0, 12);            // old-style header
  broken(4, 0);             // zero width
  broken(4, 0x7fffffff);    // absurd width
  broken(8, 0xffffffff);    // top-down rows
  broken(8, 17);            // more rows than bytes
  broken(16, 1);            // RLE compressed
  broken(32, 257);          // colour table larger than 8 bits allow
  std::vector<std::uint8_t> shortBuffer(good.begin(), good.end() - 1);
  EXPECT_FALSE(Dib::fromPacked(shortBuffer));
  EXPECT_FALSE(Dib::fromPacked(std::span<const std::uint8_t>(good.data(), 39)));
  EXPECT_FALSE(Dib::create(0, 10, 8));
  EXPECT_FALSE(Dib::create(10, 10, 4));
}

}  // namespace
}  // namespace ostrel
