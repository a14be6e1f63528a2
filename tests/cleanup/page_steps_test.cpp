#include "app/scan/page_steps/page_stitcher.h"
#include "app/scan/page_steps/page_steps.h"

#include <gtest/gtest.h>

#include "tests/cleanup/pixels.h"
#include "tests/support/recording_ui.h"

namespace ostrel {
namespace {

using testing::patternPage;
using testing::pixelAt;

TEST(RotateByProfile, EachSideTakesItsOwnValueAndAutoTextTurnsNothing) {
  CScanSetting profile;
  profile.rotationFront = 1;
  profile.rotationRear = 2;
  const Dib page = patternPage(30, 20, 8);
  const Dib front = rotateByProfile(page.clone(), PageSide::Front, profile);
  EXPECT_EQ(pixelAt(front, 0, 29), pixelAt(page, 0, 0));  // left: top-left to bottom-left
  const Dib back = rotateByProfile(page.clone(), PageSide::Back, profile);
  EXPECT_EQ(pixelAt(back, 19, 0), pixelAt(page, 0, 0));  // right: top-left to top-right
  profile.rotationFront = 3;
  EXPECT_EQ(pixelAt(rotateByProfile(page.clone(), PageSide::Front, profile), 29, 19), pixelAt(page, 0, 0));
  profile.rotationFront = 4;
  EXPECT_EQ(rotateByProfile(page.clone(), PageSide::Front, profile).width(), 30);
  profile.rotationFront = 1;
  profile.autoText = 1;
  EXPECT_EQ(rotateByProfile(page.clone(), PageSide::Front, profile).width(), 30);
}

TEST(CleanEdgesByProfile, OnlyWhenEdgeCleanUpIsOne) {
  CScanSetting profile;
  profile.edgeCleanUpSize = 2;
  profile.edgeCleanUpColor = 1;
  const Dib page = patternPage(10, 10, 24);
  EXPECT_EQ(pixelAt(cleanEdgesByProfile(page.clone(), profile), 0, 0), pixelAt(page, 0, 0));
  profile.edgeCleanUp = 1;
  EXPECT_EQ(pixelAt(cleanEdgesByProfile(page.clone(), profile), 0, 0), 0u);
}

TEST(ReadBarcodesByProfile, AFailureOfTheReaderIsShown) {
  CScanSetting profile;
  testing::RecordingUserInterface ui;
  const Dib huge = *Dib::create(65535, 4200, 1);  // 34 MB, but 275 MB to analyse
  EXPECT_EQ(readBarcodesByProfile(huge, profile, ui).count, -1);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(ui.messages[0].text, "The page is too large to read barcodes from.");
  EXPECT_TRUE(readBarcodesByProfile(*Dib::create(40, 40, 8), profile, ui).error.empty());
  EXPECT_EQ(ui.messages.size(), 1u);
}

CScanSetting stitching(int value) {
  CScanSetting profile;
  profile.stitch = value;
  return profile;
}

TEST(PageStitcher, PassesPagesThroughWhenStitchingIsOff) {
  PageStitcher stitcher;
  EXPECT_EQ(stitcher.add(patternPage(5, 5, 8), PageSide::Front, false, stitching(1)).size(), 1u);
  EXPECT_EQ(stitcher.add(patternPage(5, 5, 8), PageSide::Front, true, stitching(0)).size(), 1u);
  EXPECT_FALSE(stitcher.takeHeldFront());
}

TEST(PageStitcher, JoinsEachFrontWithItsBack) {
  PageStitcher stitcher;
  EXPECT_TRUE(stitcher.add(patternPage(5, 5, 8), PageSide::Front, true, stitching(1)).empty());
  const auto joined = stitcher.add(patternPage(7, 5, 8), PageSide::Back, true, stitching(1));
  ASSERT_EQ(joined.size(), 1u);
  EXPECT_EQ(joined[0].width(), 12);
  EXPECT_FALSE(stitcher.takeHeldFront());
}

TEST(PageStitcher, LosesNoPageWhenSidesGoAstray) {
  PageStitcher stitcher;
  const CScanSetting profile = stitching(1);
  // A back with no front goes on alone.
  EXPECT_EQ(stitcher.add(patternPage(5, 5, 8), PageSide::Back, true, profile).size(), 1u);
  // A second front lets the first go on alone.
  EXPECT_TRUE(stitcher.add(patternPage(5, 5, 8), PageSide::Front, true, profile).empty());
  const auto first = stitcher.add(patternPage(6, 5, 8), PageSide::Front, true, profile);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].width(), 5);
  // A join too wide for a page gives both pages back.
  PageStitcher wide;
  EXPECT_TRUE(wide.add(*Dib::create(40000, 2, 1), PageSide::Front, true, profile).empty());
  const auto both = wide.add(*Dib::create(30000, 2, 1), PageSide::Back, true, profile);
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].width(), 40000);
  EXPECT_EQ(both[1].width(), 30000);
  // The front still held at the end of the job is handed back.
  const auto held = stitcher.takeHeldFront();
  ASSERT_TRUE(held);
  EXPECT_EQ(held->width(), 6);
  EXPECT_FALSE(stitcher.takeHeldFront());
}

}  // namespace
}  // namespace ostrel
