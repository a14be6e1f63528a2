#include "imaging/cleanup/colour_dropout.h"
#include "imaging/cleanup/preview_processing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/cleanup/pixels.h"

namespace ostrel {
namespace {

using testing::pixelAt;
using testing::setPixel;

TEST(ToneCurve, NeutralSettingsKeepTheLevelsUpToTruncation) {
  // 0.7853982 is a hair above a quarter of pi, so the slope is a hair above 1
  // and levels below 128 truncate to one less.
  const auto curve = ToneCurve(100, 100);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(curve[static_cast<std::size_t>(i)], i < 128 ? std::max(i - 1, 0) : i) << i;
}

TEST(ToneCurve, EndsOfTheSettings) {
  // Contrast 200 is taken as 199: slope |tan(1.99 x pi / 4)| = 127.3, a step at 128.
  const auto steep = ToneCurve(100, 200);
  EXPECT_EQ(steep[0], 0);
  EXPECT_EQ(steep[127], 0);  // 128 - 127.3, truncated
  EXPECT_EQ(steep[128], 128);
  EXPECT_EQ(steep[129], 255);
  EXPECT_EQ(steep[255], 255);
  // Taken as 199, not as a right angle's endless slope: with brightness moving
  // the step, the levels beside it stay in range.
  EXPECT_EQ(ToneCurve(150, 200)[127], 64);   // 64 + 128 - 127.3
  EXPECT_EQ(ToneCurve(0, 200)[129], 127);    // -128 + 127.3 + 128
  EXPECT_EQ(ToneCurve(150, 200), ToneCurve(150, 199));
  // Contrast 0 flattens everything to 128 plus the brightness offset.
  EXPECT_EQ(ToneCurve(100, 0)[0], 128);
  EXPECT_EQ(ToneCurve(100, 0)[255], 128);
  EXPECT_EQ(ToneCurve(0, 0)[7], 0);      // offset -128
  EXPECT_EQ(ToneCurve(200, 0)[7], 255);  // offset +128, clamped
  EXPECT_EQ(ToneCurve(150, 100)[200], 255);  // 64 + 200, clamped
  EXPECT_EQ(ToneCurve(150, 100)[130], 194);  // 64 + 130
  // Far-out contrasts give huge slopes; they clamp instead of overflowing.
  const auto wild = ToneCurve(100, 600);
  EXPECT_EQ(wild[0], 0);
  EXPECT_EQ(wild[255], 255);
  ToneCurve(2147483647, -2147483647);
}

Dib formWithRedLines() {
  Dib page = *Dib::create(4, 1, 24);
  setPixel(page, 0, 0, 0xFFFFFF);  // paper
  setPixel(page, 1, 0, 0xD02020);  // the form's red
  setPixel(page, 2, 0, 0xF09090);  // a light shade of it
  setPixel(page, 3, 0, 0x101010);  // black writing
  return page;
}

TEST(ProcessPreview, DropoutRemovesTheFormColourOutsideColourMode) {
  PreviewSettings settings;
  settings.mode = PreviewMode::Grey;
  settings.dropout = DropoutColour{0xD0, 0x20, 0x20, 40};
  const auto grey = ProcessPreview(formWithRedLines(), settings);
  ASSERT_TRUE(grey);
  EXPECT_EQ(pixelAt(*grey, 1, 0), 0xF7F7F7u);  // dropped to paper level 247
  EXPECT_EQ(pixelAt(*grey, 2, 0), 0xF7F7F7u);
  EXPECT_EQ(pixelAt(*grey, 3, 0), 0x0F0F0Fu);  // writing stays (one level down, see above)

  settings.mode = PreviewMode::Colour;
  EXPECT_EQ(pixelAt(*ProcessPreview(formWithRedLines(), settings), 0, 0), 0xFFFFFFu);
  EXPECT_EQ(pixelAt(*ProcessPreview(formWithRedLines(), settings), 1, 0), 0xD01F1Fu);
}

TEST(ProcessPreview, BlackAndWhiteThresholdsAfterTheCurve) {
  PreviewSettings settings;
  settings.mode = PreviewMode::BlackWhite;
  settings.brightness = 50;  // -64
  settings.threshold = 100;
  Dib page = *Dib::create(2, 1, 24);
  setPixel(page, 0, 0, 0xA4A4A4);  // 164 - 64 = 100: white
  setPixel(page, 1, 0, 0xA3A3A3);  // 163 - 64 = 99: black
  const auto out = ProcessPreview(page, settings);
  EXPECT_EQ(pixelAt(*out, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(pixelAt(*out, 1, 0), 0u);
}

TEST(DoCustomColorDropOut, RefusesWhatItCannotDo) {
  std::vector<std::uint8_t> rgb(12, 200), grey(4, 7);
  EXPECT_EQ(DoCustomColorDropOut(nullptr, grey.data(), 2, 2, 2, 0, 0, 0, 10, 247, 10, 2), 0);
  EXPECT_EQ(DoCustomColorDropOut(rgb.data(), grey.data(), 3, 2, 2, 0, 0, 0, 10, 247, 10, 2), 0);
  EXPECT_EQ(DoCustomColorDropOut(rgb.data(), grey.data(), 2, 0, 2, 0, 0, 0, 10, 247, 10, 2), 0);
  EXPECT_EQ(DoCustomColorDropOut(rgb.data(), grey.data(), 2, 2, 2, 0, 0, 0, 10, 247, 10, 7), 0);
  EXPECT_EQ(grey[0], 7);
  EXPECT_EQ(DoCustomColorDropOut(rgb.data(), grey.data(), 2, 2, 2, 0, 0, 0, 10, 247, 2147483647, 1), 1);
  EXPECT_EQ(grey[3], 247);
}

}  // namespace
}  // namespace ostrel
