// The advanced wizard's rules without a window: units and their truncations,
// the clamps of typed values, and what the preview is given.
#include <gtest/gtest.h>

#include "app/core/wizard/page_geometry.h"
#include "app/core/wizard/page_rules.h"
#include "app/core/wizard/preview_view.h"
#include "app/core/wizard/save_profile.h"
#include "app/core/wizard/wizard_steps.h"
#include "imaging/format_codes.h"

namespace ostrel::wizard {
namespace {

ScannerConfig feeder(int maxWidth = 2550, int maxLength = 4200) {
  ScannerConfig scanner;
  scanner.hasFeeder = true;
  scanner.maxWidth = maxWidth;
  scanner.maxLength = maxLength;
  return scanner;
}

TEST(WizardUnits, WidthShownInEachUnit) {
  EXPECT_EQ(formatLength(2550, Unit::Inch, 200), "8.50");
  EXPECT_EQ(formatLength(2550, Unit::Millimetre, 200), "215.9");
  EXPECT_EQ(formatLength(2550, Unit::Pixel, 200), "1700");
}

TEST(WizardUnits, PixelsStoredAtTheirResolution) {
  EXPECT_EQ(parseLength("2550", Unit::Pixel, 300), 2550);
  EXPECT_EQ(parseLength("1275", Unit::Pixel, 150), 2550);
  // Integer value first: "1275.9" is 1275 pixels.
  EXPECT_EQ(parseLength("1275.9", Unit::Pixel, 150), 2550);
  EXPECT_EQ(parseLength("AUTO", Unit::Inch, 200), 0);
  EXPECT_EQ(parseLength("", Unit::Millimetre, 200), 0);
}

TEST(WizardUnits, TruncationDoesNotLoseAStepToFloatingError) {
  // 2.30 x 100 is 229.99999999999997 in doubles.
  EXPECT_EQ(gammaFromText("2.30"), 230);
  EXPECT_EQ(gammaFromText("2.20"), 220);
  EXPECT_EQ(formatGamma(220), "2.20");
  for (int gamma = -1000; gamma <= 1000; ++gamma) ASSERT_EQ(gammaFromText(formatGamma(gamma)), gamma) << gamma;
  EXPECT_EQ(parseLength("215.9", Unit::Millimetre, 200), 2550);
  EXPECT_EQ(parseLength("8.499", Unit::Inch, 200), 2549);  // a real fraction still truncates
}

TEST(WizardUnits, ResolutionClampedBeforeAnyDivision) {
  EXPECT_EQ(resolutionFromText(""), 100);
  EXPECT_EQ(resolutionFromText("0"), 100);
  EXPECT_EQ(resolutionFromText("-50"), 100);
  EXPECT_EQ(resolutionFromText("60"), 100);
  EXPECT_EQ(resolutionFromText("9999"), 600);
  EXPECT_EQ(resolutionFromText("300"), 300);
  // Reaching a division with 0 would have crashed; with 100 it is a value.
  EXPECT_EQ(parseLength("100", Unit::Pixel, 0), 300);
  EXPECT_EQ(formatLength(300, Unit::Pixel, 0), "100");
}

TEST(WizardPaper, FixedSizesCentredOnAFeederNeverNegative) {
  EXPECT_EQ(fixedPaperArea(3, feeder(2550)).xOffset, (2550 - fixedPaperArea(3, feeder(2550)).width) / 2);
  const PageArea maximum = fixedPaperArea(2, feeder(2600, 4200));
  EXPECT_EQ(maximum, (PageArea{2600, 4200, 0, 0}));
  // A sheet wider than the scanner starts at its left edge.
  for (int index = 3; index < 19; ++index) EXPECT_GE(fixedPaperArea(index, feeder(100)).xOffset, 0) << index;
  ScannerConfig flatbed = feeder(2600);
  flatbed.hasFeeder = false;
  for (int index = 3; index < 19; ++index) EXPECT_EQ(fixedPaperArea(index, flatbed).xOffset, 0);
}

TEST(WizardPaper, CustomFillsTheScannersLargestArea) {
  const CustomFill inches = customFill(feeder(2550, 4200), Unit::Inch, 200);
  EXPECT_EQ(inches.width, "8.50");
  EXPECT_EQ(inches.height, "14.00");
  EXPECT_EQ(inches.xOffset, "0.00");
  const CustomFill pixels = customFill(feeder(2550, 4200), Unit::Pixel, 200);
  EXPECT_EQ(pixels.width, "1700.00");
  EXPECT_EQ(pixels.xOffset, "0");
}

TEST(WizardPaper, FieldsCorrectedWhenLeft) {
  const ScannerConfig scanner = feeder(2550, 4200);
  EXPECT_EQ(fieldOnLeave(Field::Width, "", Unit::Inch, 200, scanner), "0.00");
  EXPECT_EQ(fieldOnLeave(Field::Width, "", Unit::Pixel, 200, scanner), "0");
  EXPECT_EQ(fieldOnLeave(Field::Width, "", Unit::Millimetre, 200, scanner), "0.0");
  EXPECT_EQ(fieldOnLeave(Field::Height, "", Unit::Millimetre, 200, scanner), "0");
  EXPECT_EQ(fieldOnLeave(Field::XOffset, "", Unit::Millimetre, 200, scanner), "0.00");
  EXPECT_EQ(fieldOnLeave(Field::Width, "9", Unit::Inch, 200, scanner), "8.50");
  EXPECT_EQ(fieldOnLeave(Field::Width, "2000", Unit::Pixel, 200, scanner), "1700.00");
  EXPECT_EQ(fieldOnLeave(Field::Height, "400", Unit::Millimetre, 200, scanner), "355.6");
  EXPECT_EQ(fieldOnLeave(Field::Width, "8.5", Unit::Inch, 200, scanner), std::nullopt);
  EXPECT_EQ(fieldOnLeave(Field::XOffset, "99", Unit::Inch, 200, scanner), std::nullopt);
  EXPECT_EQ(toneFieldOnLeave("150"), "100");
  EXPECT_EQ(toneFieldOnLeave("-101"), "-100");
  EXPECT_EQ(toneFieldOnLeave(""), "0");
  EXPECT_EQ(toneFieldOnLeave("-100"), std::nullopt);
}

CApplicationSetting destinationAt(const std::string& path, int formats = 0) {
  CApplicationSetting destination;
  destination.path = path;
  destination.imageFormatCheck = formats;
  return destination;
}

TEST(WizardRules, DestinationControlsByKind) {
  CApplicationSetting printer = destinationAt("PRINT");
  const DestinationControls printing = destinationControls(destinationKind(&printer));
  EXPECT_TRUE(printing.onlyBmp);
  EXPECT_TRUE(printing.clearFolder);
  EXPECT_FALSE(printing.folder);
  EXPECT_EQ(offeredFormats(&printer), std::vector<int>{format::kBmp});
  CApplicationSetting storage = destinationAt("", -1);
  EXPECT_FALSE(destinationControls(destinationKind(&storage)).destinationProperties);
  // Single-page PDF (32) is never offered, even to a mask that accepts it.
  EXPECT_EQ(offeredFormats(&storage), (std::vector<int>{1, 2, 4, 8, 16, 64}));
  CApplicationSetting cloud = destinationAt("GOOGLE");
  EXPECT_FALSE(destinationControls(destinationKind(&cloud)).subfolder);
  EXPECT_FALSE(destinationControls(DestinationKind::None).formatList);
  EXPECT_EQ(formatPropertyForDestination(format::kTiff, 6), 6);
  EXPECT_EQ(formatPropertyForDestination(format::kMultiPdf, 6), 3);
}

TEST(WizardRules, FeedingPage) {
  EXPECT_EQ(imageCountOnChange("0"), "1");
  EXPECT_EQ(imageCountOnChange("-4"), "1");
  EXPECT_EQ(imageCountOnChange(""), "1");
  EXPECT_EQ(imageCountOnChange("7"), std::nullopt);
  EXPECT_EQ(lengthCheckOnNext(true, true, 0, "0.0"), 300);
  EXPECT_EQ(lengthCheckOnNext(true, true, 450, "0.0"), 450);
  EXPECT_EQ(lengthCheckOnNext(true, false, 450, "0.0"), 0);
  EXPECT_EQ(lengthCheckOnNext(false, true, 0, "14"), 4200);
  EXPECT_EQ(lengthCheckOnNext(false, false, 4200, "14"), 0);
}

TEST(WizardRules, DespeckleLimits) {
  EXPECT_EQ(despeckleRangeOnLeave("100", "2")->range, "5");
  const auto big = despeckleSensitivityOnLeave("4000");
  ASSERT_TRUE(big);
  EXPECT_EQ(big->sensitivity, "3600");
  EXPECT_EQ(big->range, "30");
  EXPECT_EQ(despeckleRangeOnLeave("0", "0")->range, "1");
  EXPECT_EQ(despeckleRangeOnLeave("100", "31")->range, "30");
  EXPECT_EQ(despeckleRangeOnLeave("100", "7"), std::nullopt);
  // A sensitivity whose least range is beyond 30 comes down with it.
  const auto beyond = despeckleRangeOnLeave("3800", "3");
  ASSERT_TRUE(beyond);
  EXPECT_EQ(beyond->sensitivity, "3600");
  EXPECT_EQ(beyond->range, "30");
  EXPECT_FALSE(despeckleOffered(2));
  EXPECT_FALSE(dropoutOffered(3));
  EXPECT_TRUE(dropoutOffered(1));
  EXPECT_EQ(dropoutOnToggle(4), 0);
  EXPECT_EQ(dropoutOnToggle(0), 1);
}

TEST(WizardPreview, SettingsFollowTheProfileCodes) {
  PreviewValues values;
  values.scanMode = 1;
  values.dropout = 1;
  EXPECT_FALSE(previewSettings(values).dropout);
  values.dropout = 2;
  ASSERT_TRUE(previewSettings(values).dropout);
  EXPECT_EQ(previewSettings(values).dropout->red, 255);
  values.dropout = 5;
  values.dropRed = 200, values.dropGreen = 10, values.dropBlue = 10;
  EXPECT_EQ(previewSettings(values).dropout->green, 10);
  EXPECT_EQ(previewSettings(values).mode, PreviewMode::Grey);
  values.scanMode = 2;
  EXPECT_EQ(previewSettings(values).mode, PreviewMode::Colour);
}

TEST(WizardPreview, ShrinkAveragesAndKeepsProportions) {
  auto page = Dib::create(300, 400, 24);
  ASSERT_TRUE(page);
  // Left half black, right half white.
  for (int y = 0; y < 400; ++y) {
    for (int x = 150; x < 300; ++x) page->row(y)[3 * x] = page->row(y)[3 * x + 1] = page->row(y)[3 * x + 2] = 255;
  }
  const auto small = shrinkForPreview(*page, 30, 100);
  ASSERT_TRUE(small);
  EXPECT_EQ(small->width(), 30);
  EXPECT_EQ(small->height(), 40);
  EXPECT_EQ(small->row(20)[0], 0);
  EXPECT_EQ(small->row(20)[3 * 29], 255);
  EXPECT_EQ(small->xDpi(), 30);
  const auto same = shrinkForPreview(*page, 1000, 1000);
  ASSERT_TRUE(same);
  EXPECT_EQ(same->width(), 300);
  EXPECT_FALSE(shrinkForPreview(*page, 0, 10));
}

TEST(WizardPreview, OutlineScaledAndPushedBackInside) {
  PreviewValues values;
  values.areaWidth = 2550, values.areaHeight = 3300;
  // Without an image the window's height holds the 14-inch length.
  const AreaOutline outline = areaOutline(values, 2550, 4200, 0.0, 300, 420);
  EXPECT_EQ(outline.left, 0);
  EXPECT_EQ(outline.right, 420 * 2550 / 4200 - 1);
  EXPECT_EQ(outline.bottom, 420 * 3300 / 4200 - 1);
  // With an image drawn at 0.25 window pixels per 100-dpi pixel, the outline
  // follows the image, not the window's height.
  const AreaOutline onImage = areaOutline(values, 2550, 4200, 0.25 * 100 / 300, 300, 420);
  EXPECT_EQ(onImage.right, 212 - 1);
  EXPECT_EQ(onImage.bottom, 275 - 1);
  values.areaLeft = 2000;
  const AreaOutline pushed = areaOutline(values, 2550, 4200, 0.0, 300, 420);
  EXPECT_EQ(pushed.right, 299);
  EXPECT_LT(pushed.areaLeft, 2000);
  EXPECT_GE(pushed.left, 0);
}

TEST(WizardSteps, NextBackAndClose) {
  WizardSteps steps;
  EXPECT_EQ(steps.leave(PageExit::Back), WizardEnd::BackToConfiguration);
  for (int page = 1; page < kPageCount; ++page) {
    EXPECT_EQ(steps.leave(PageExit::Next), std::nullopt);
    EXPECT_EQ(steps.page(), page);
  }
  EXPECT_EQ(steps.leave(PageExit::Back), std::nullopt);
  EXPECT_EQ(steps.page(), 2);
  EXPECT_EQ(steps.leave(PageExit::Closed), WizardEnd::Closed);
  WizardSteps last;
  for (int page = 1; page < kPageCount; ++page) last.leave(PageExit::Next);
  EXPECT_EQ(last.leave(PageExit::Next), WizardEnd::Finished);
}

}  // namespace
}  // namespace ostrel::wizard
