#include "imaging/dib.h"

#include <gtest/gtest.h>

#include <cstring>
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

// Memory from elsewhere: a copy of a packed bitmap in an array of its own,
// whose freeing is counted.
struct LentBitmap {
  explicit LentBitmap(std::span<const std::uint8_t> packed) : size(packed.size()) {
    auto bytes = std::make_unique<std::uint8_t[]>(size);
    std::memcpy(bytes.get(), packed.data(), size);
    address = bytes.get();
    buffer = Dib::Buffer(bytes.release(), Dib::Deleter([this](std::uint8_t* data) {
                           ++freed;
                           std::default_delete<std::uint8_t[]>()(data);
                         }));
  }
  Dib::Buffer buffer;
  std::size_t size;
  const std::uint8_t* address;
  int freed = 0;
};

TEST(Dib, AdoptedBitmapKeepsItsMemoryAndFreesItOnce) {
  auto original = Dib::create(10, 7, 8, 3937, 3937);
  original->row(3)[5] = 0x5a;
  std::vector<std::uint8_t> packed(original->packed().begin(), original->packed().end());
  packed[33] = 0;                 // colours used 0: the full table
  packed[20] = 0;                 // no image size given, as many writers leave it
  packed[40 + 4 * 9 + 3] = 0x77;  // a reserved byte in the colour table
  LentBitmap lent(packed);
  std::string error;
  auto adopted = Dib::adopt(std::move(lent.buffer), lent.size, &error);
  ASSERT_TRUE(adopted) << error;
  EXPECT_EQ(adopted->packed().data(), lent.address);
  // The header and table read as those of a new image.
  EXPECT_EQ(std::vector<std::uint8_t>(adopted->packed().begin(), adopted->packed().end()),
            std::vector<std::uint8_t>(original->packed().begin(), original->packed().end()));
  EXPECT_EQ(adopted->row(3)[5], 0x5a);
  EXPECT_EQ(adopted->xDpi(), 100);

  Dib moved = std::move(*adopted);
  adopted.reset();
  EXPECT_EQ(lent.freed, 0);
  Dib::Buffer taken = std::move(moved).takeBuffer();
  EXPECT_EQ(taken.get(), lent.address);
  EXPECT_EQ(lent.freed, 0);
  taken.reset();
  EXPECT_EQ(lent.freed, 1);
}

TEST(Dib, AdoptionThatCannotKeepTheMemoryFreesItAtOnce) {
  auto image = Dib::create(8, 1, 8);
  std::vector<std::uint8_t> shortTable(image->packed().begin(), image->packed().begin() + 40);
  shortTable[32] = 1;  // one colour: the rows are not where a full table puts them
  shortTable[33] = 0;
  for (std::uint8_t c : {10, 20, 30, 0}) shortTable.push_back(c);
  shortTable.insert(shortTable.end(), 8, 0);
  LentBitmap copied(shortTable);
  auto read = Dib::adopt(std::move(copied.buffer), copied.size);
  ASSERT_TRUE(read);
  EXPECT_NE(read->packed().data(), copied.address);
  EXPECT_EQ(read->paletteEntry(0), (RgbQuad{10, 20, 30, 0}));
  EXPECT_EQ(copied.freed, 1);

  std::vector<std::uint8_t> truncated(image->packed().begin(), image->packed().end() - 1);
  LentBitmap refused(truncated);
  std::string error;
  EXPECT_FALSE(Dib::adopt(std::move(refused.buffer), refused.size, &error));
  EXPECT_EQ(error, "bitmap data shorter than its header says");
  EXPECT_EQ(refused.freed, 1);
  EXPECT_FALSE(Dib::adopt(nullptr, 0, &error));
}

TEST(Dib, NewImageInMemoryFromElsewhere) {
  std::vector<std::size_t> asked;
  std::uint8_t* given = nullptr;
  const Dib::Allocate memory = [&](std::size_t size) {
    asked.push_back(size);
    auto bytes = std::make_unique<std::uint8_t[]>(size);
    given = bytes.get();
    return Dib::Buffer(std::move(bytes));
  };
  auto dib = Dib::createForOverwrite(13, 3, 1, 3937, 3937, memory);
  ASSERT_TRUE(dib);
  EXPECT_EQ(asked, std::vector<std::size_t>{40 + 8 + 3 * 4});
  EXPECT_EQ(dib->packed().data(), given);
  EXPECT_TRUE(dib->zeroIsBlack());
  EXPECT_EQ(dib->xDpi(), 100);

  EXPECT_FALSE(Dib::createForOverwrite(13, 3, 1, 3937, 3937, [](std::size_t) { return Dib::Buffer(); }));
  asked.clear();
  EXPECT_FALSE(Dib::createForOverwrite(0, 3, 1, 3937, 3937, memory));
  EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace ostrel
