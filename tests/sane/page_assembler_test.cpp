// Pages from frames: every layout a scanner may send, fed in awkward pieces,
// and every kind of frame no page can be made of.
#include "scanners/sane/page_assembler.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include <cstring>
#include <numeric>
#include <vector>

namespace ostrel::sane {
namespace {

using Bytes = std::vector<std::uint8_t>;

FrameParameters frame(FrameFormat format, int width, int lines, int depth, int bytesPerLine, bool last = true) {
  return {format, last, bytesPerLine, width, lines, depth};
}

// Feeds each frame whole, or in pieces of the given size.
std::optional<Dib> assemble(const std::vector<std::pair<FrameParameters, Bytes>>& frames, std::size_t piece = 0,
                            std::string* error = nullptr) {
  PageAssembler assembler(150);
  for (const auto& [parameters, bytes] : frames) {
    if (!assembler.beginFrame(parameters, error)) return std::nullopt;
    const std::size_t step = piece ? piece : std::max<std::size_t>(bytes.size(), 1);
    for (std::size_t at = 0; at < bytes.size(); at += step) {
      if (!assembler.add({bytes.data() + at, std::min(step, bytes.size() - at)}, error)) return std::nullopt;
    }
    if (!assembler.endFrame(error)) return std::nullopt;
  }
  return assembler.finish(error);
}

// A grey ramp of width x lines with `padding` junk bytes after each line.
Bytes greyLines(int width, int lines, int padding) {
  Bytes bytes;
  for (int y = 0; y < lines; ++y) {
    for (int x = 0; x < width; ++x) bytes.push_back(static_cast<std::uint8_t>(x * 7 + y * 13));
    bytes.insert(bytes.end(), static_cast<std::size_t>(padding), 0xEE);
  }
  return bytes;
}

TEST(PageAssembler, PaddedGreyLinesInEveryKindOfPiece) {
  const Bytes bytes = greyLines(5, 3, 3);
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{8}, std::size_t{9},
                            bytes.size()}) {
    const auto page = assemble({{frame(FrameFormat::Grey, 5, 3, 8, 8), bytes}}, piece);
    ASSERT_TRUE(page) << "piece " << piece;
    EXPECT_EQ(page->width(), 5);
    EXPECT_EQ(page->height(), 3);
    EXPECT_EQ(page->bitsPerPixel(), 8);
    EXPECT_EQ(page->xDpi(), 150);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 5; ++x) EXPECT_EQ(page->row(y)[x], static_cast<std::uint8_t>(x * 7 + y * 13));
    }
  }
}

TEST(PageAssembler, LineartSetBitIsBlackAndTrailingBitsStayClear) {
  // 10 pixels: the first line white, the second alternating from black.
  const Bytes bytes{0x00, 0x00, 0xAA, 0x80};
  const auto page = assemble({{frame(FrameFormat::Grey, 10, 2, 1, 2), bytes}});
  ASSERT_TRUE(page);
  ASSERT_EQ(page->bitsPerPixel(), 1);
  EXPECT_TRUE(page->zeroIsBlack());
  EXPECT_EQ(page->row(0)[0], 0xFF);
  EXPECT_EQ(page->row(0)[1], 0xC0);  // the six bits after the tenth pixel stay clear
  EXPECT_EQ(page->row(1)[0], 0x55);
  EXPECT_EQ(page->row(1)[1], 0x40);
}

TEST(PageAssembler, SixteenBitSamplesKeepTheirHighByteInTheMachinesOrder) {
  const std::uint16_t samples[] = {0x12FF, 0xAB00, 0xFFFF, 0x0001};
  Bytes bytes(sizeof samples);
  std::memcpy(bytes.data(), samples, sizeof samples);
  const auto grey = assemble({{frame(FrameFormat::Grey, 4, 1, 16, 8), bytes}}, 3);
  ASSERT_TRUE(grey);
  EXPECT_EQ(Bytes(grey->row(0), grey->row(0) + 4), (Bytes{0x12, 0xAB, 0xFF, 0x00}));

  // The same samples as one colour pixel and a bit: red 0x12, green 0xAB, blue 0xFF.
  const auto colour = assemble({{frame(FrameFormat::Rgb, 1, 1, 16, 8), bytes}});
  ASSERT_TRUE(colour);
  EXPECT_EQ(Bytes(colour->row(0), colour->row(0) + 3), (Bytes{0xFF, 0xAB, 0x12}));
}

TEST(PageAssembler, ColourPixelsBecomeBlueGreenRedAndOneBitColourIsFullIntensity) {
  const auto eight = assemble({{frame(FrameFormat::Rgb, 2, 1, 8, 7), Bytes{1, 2, 3, 4, 5, 6, 0xEE}}});
  ASSERT_TRUE(eight);
  EXPECT_EQ(eight->bitsPerPixel(), 24);
  EXPECT_EQ(Bytes(eight->row(0), eight->row(0) + 6), (Bytes{3, 2, 1, 6, 5, 4}));

  // Bits 1 0 1 | 0 1 1: magenta, then cyan.
  const auto oneBit = assemble({{frame(FrameFormat::Rgb, 2, 1, 1, 1), Bytes{0b10101100}}});
  ASSERT_TRUE(oneBit);
  EXPECT_EQ(Bytes(oneBit->row(0), oneBit->row(0) + 6), (Bytes{255, 0, 255, 255, 255, 0}));
}

TEST(PageAssembler, ThreeColourFramesInAnyOrderMakeTheSamePageAsOne) {
  const Bytes interleaved{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};  // 2 x 2 pixels
  const auto single = assemble({{frame(FrameFormat::Rgb, 2, 2, 8, 6), interleaved}});
  ASSERT_TRUE(single);
  const auto plane = [&](int channel) {
    Bytes out;
    for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size(); i += 3) out.push_back(interleaved[i]);
    return out;
  };
  const auto passes = assemble({{frame(FrameFormat::Green, 2, 2, 8, 2, false), plane(1)},
                                {frame(FrameFormat::Blue, 2, 2, 8, 2, false), plane(2)},
                                {frame(FrameFormat::Red, 2, 2, 8, 2, true), plane(0)}},
                               3);
  ASSERT_TRUE(passes);
  for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(single->row(y), passes->row(y), 6), 0);
}

TEST(PageAssembler, UnknownLengthEndsWhereTheScannerStops) {
  const Bytes bytes = greyLines(3, 700, 0);
  const auto page = assemble({{frame(FrameFormat::Grey, 3, -1, 8, 3), bytes}}, 1000);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->height(), 700);
  EXPECT_EQ(page->row(699)[2], static_cast<std::uint8_t>(2 * 7 + 699 * 13));

  // A three-pass hand scan whose colours came with different lengths keeps
  // the lines all three have.
  const auto passes = assemble({{frame(FrameFormat::Red, 3, -1, 8, 3, false), greyLines(3, 5, 0)},
                                {frame(FrameFormat::Green, 3, -1, 8, 3, false), greyLines(3, 4, 0)},
                                {frame(FrameFormat::Blue, 3, -1, 8, 3, true), greyLines(3, 6, 0)}});
  ASSERT_TRUE(passes);
  EXPECT_EQ(passes->height(), 4);
}

TEST(PageAssembler, ShortFramesAreCutAndLongOnesTrimmed) {
  const auto shortPage = assemble({{frame(FrameFormat::Grey, 4, 10, 8, 4), greyLines(4, 6, 0)}});
  ASSERT_TRUE(shortPage);
  EXPECT_EQ(shortPage->height(), 6);
  EXPECT_EQ(shortPage->row(5)[3], static_cast<std::uint8_t>(3 * 7 + 5 * 13));

  Bytes tooLong = greyLines(4, 3, 0);
  tooLong.push_back(1);  // and half a line more
  const auto longPage = assemble({{frame(FrameFormat::Grey, 4, 2, 8, 4), tooLong}});
  ASSERT_TRUE(longPage);
  EXPECT_EQ(longPage->height(), 2);
}

TEST(PageAssembler, OddParametersAreRefusedWithAReason) {
  struct Case {
    FrameParameters parameters;
    const char* why;
  };
  const Case cases[] = {
      {frame(FrameFormat::Grey, 10, 10, 4, 10), "bits per sample"},
      {frame(FrameFormat::Grey, 0, 10, 8, 10), "pixels"},
      {frame(FrameFormat::Grey, 70000, 10, 8, 70000), "pixels"},
      {frame(FrameFormat::Grey, 10, 0, 8, 10), "lines"},
      {frame(FrameFormat::Grey, 10, -2, 8, 10), "lines"},
      {frame(FrameFormat::Rgb, 10, 10, 8, 29), "bytes per line"},
      {frame(FrameFormat::Grey, 10, 10, 8, -1), "bytes per line"},
      {frame(FrameFormat::Grey, 10, 10, 8, (1 << 20) + 1), "bytes per line"},
      // 65535 x 65535 colour is 12 GB: refused before anything is allocated.
      {frame(FrameFormat::Rgb, 65535, 65535, 8, 65535 * 3), "larger than a page may be"},
  };
  for (const Case& c : cases) {
    PageAssembler assembler(100);
    std::string error;
    EXPECT_FALSE(assembler.beginFrame(c.parameters, &error));
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
    EXPECT_FALSE(assembler.add(Bytes(10, 0), &error));
    EXPECT_FALSE(assembler.finish(&error));
  }
}

TEST(PageAssembler, FramesThatCannotMakeOnePageAreRefused) {
  struct Case {
    std::vector<std::pair<FrameParameters, Bytes>> frames;
    const char* why;
  };
  const FrameParameters firstRed = frame(FrameFormat::Red, 2, 2, 8, 2, false);
  const Case cases[] = {
      {{{firstRed, Bytes(4, 1)}, {frame(FrameFormat::Green, 3, 2, 8, 3, true), Bytes(6, 1)}}, "differ in size"},
      {{{firstRed, Bytes(4, 1)}, {frame(FrameFormat::Red, 2, 2, 8, 2, true), Bytes(4, 1)}}, "came twice"},
      {{{firstRed, Bytes(4, 1)}, {frame(FrameFormat::Blue, 2, 2, 8, 2, true), Bytes(4, 1)}}, "all three"},
      {{{firstRed, Bytes(4, 1)}, {frame(FrameFormat::Grey, 2, 2, 8, 2, true), Bytes(4, 1)}}, "another kind"},
      {{{frame(FrameFormat::Grey, 2, 2, 8, 2), Bytes{}}}, "without sending a line"},
  };
  std::string error;
  for (const Case& c : cases) {
    error.clear();
    EXPECT_FALSE(assemble(c.frames, 0, &error)) << c.why;
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
  }

  PageAssembler assembler(100);
  EXPECT_FALSE(assembler.add(Bytes(4, 0), &error));
  EXPECT_NE(error.find("outside a frame"), std::string::npos) << error;
}

// A hand scan with no announced length stops at the line that makes it too
// large for any page, instead of growing towards 65535 lines first.
TEST(PageAssembler, AnUnknownLengthScanStopsWhereNoPageCouldHoldIt) {
  constexpr int kWidth = 65535;  // rows of 65536 bytes once padded
  const auto fitting = static_cast<int>(Dib::kMaxPixelBytes / Dib::strideFor(kWidth, 8));
  PageAssembler assembler(300);
  std::string error;
  ASSERT_TRUE(assembler.beginFrame(frame(FrameFormat::Grey, kWidth, -1, 8, kWidth), &error)) << error;
  const Bytes line(kWidth, 0x80);
  int stored = 0;
  while (stored <= fitting && assembler.add(line, &error)) ++stored;
  EXPECT_EQ(stored, fitting);
  EXPECT_NE(error.find("larger than a page may be"), std::string::npos) << error;
  EXPECT_FALSE(assembler.endFrame(&error));
}

// A page that passes every check but cannot get its memory ends with a
// reason, never with the process. Run in a child whose address space is
// capped, so the allocation really fails; the child's exit code says whether
// both kinds of page were refused.
[[noreturn]] void assembleUnderAMemoryCap() {
  long mapped = 0;  // what the process already maps, in pages
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld", &mapped) != 1) mapped = 0;
    std::fclose(statm);
  }
  const auto cap = static_cast<rlim_t>(mapped * ::sysconf(_SC_PAGESIZE)) + (rlim_t{128} << 20);
  const rlimit limit{cap, cap};
  ::setrlimit(RLIMIT_AS, &limit);

  std::string error;
  PageAssembler known(300);
  // 30000 x 30000 grey is 900 MB: within what a page may be.
  const bool began = known.beginFrame(frame(FrameFormat::Grey, 30000, 30000, 8, 30000), &error);
  const bool knownRefused = !began && error.find("not enough memory") != std::string::npos;

  PageAssembler unknown(300);
  unknown.beginFrame(frame(FrameFormat::Grey, 60000, -1, 8, 60000), &error);
  const Bytes line(60000, 0x80);
  bool grew = true;
  for (int i = 0; i < 65000 && grew; ++i) grew = unknown.add(line, &error);
  const bool unknownRefused = !grew && error.find("not enough memory") != std::string::npos;
  std::exit(knownRefused && unknownRefused ? 0 : 1);
}

TEST(PageAssemblerDeathTest, AllocationFailureIsARefusalNotACrash) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's allocator does not run under a capped address space";
#endif
  EXPECT_EXIT(assembleUnderAMemoryCap(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace ostrel::sane
