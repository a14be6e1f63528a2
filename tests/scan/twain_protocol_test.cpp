// Our TWAIN header against the published layout: sources built elsewhere read
// these structures byte for byte, so a packing slip breaks every session.
#include "scanners/protocol/twain_protocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>

namespace ostrel::twain {
namespace {

TEST(TwainProtocol, StructuresArePackedToTwoBytes) {
  EXPECT_EQ(sizeof(TW_FIX32), 4u);
  EXPECT_EQ(sizeof(TW_FRAME), 16u);
  EXPECT_EQ(sizeof(TW_IDENTITY), 156u);
  EXPECT_EQ(offsetof(TW_IDENTITY, Version), 4u);
  EXPECT_EQ(offsetof(TW_IDENTITY, ProtocolMajor), 46u);
  EXPECT_EQ(offsetof(TW_IDENTITY, SupportedGroups), 50u);
  EXPECT_EQ(offsetof(TW_IDENTITY, ProductName), 122u);
  EXPECT_EQ(sizeof(TW_ONEVALUE), 6u);
  EXPECT_EQ(offsetof(TW_ONEVALUE, Item), 2u);
  EXPECT_EQ(offsetof(TW_CAPABILITY, hContainer), 4u);
  EXPECT_EQ(sizeof(TW_IMAGEINFO), 42u);
  EXPECT_EQ(offsetof(TW_IMAGEINFO, BitsPerPixel), 34u);
  EXPECT_EQ(sizeof(TW_IMAGELAYOUT), 28u);
  EXPECT_EQ(sizeof(TW_PENDINGXFERS), 6u);
  EXPECT_EQ(offsetof(TW_USERINTERFACE, hParent), 4u);
  EXPECT_EQ(offsetof(TW_IMAGEMEMXFER, Memory), 26u);
  EXPECT_EQ(sizeof(TW_SETUPFILEXFER), 260u);
  EXPECT_EQ(offsetof(TW_EVENT, TWMessage), sizeof(void*));
  EXPECT_EQ(offsetof(TW_ENTRYPOINT, DSM_Entry), 4u);
}

TEST(TwainProtocol, FixedPointRoundsAndSplits) {
  const TW_FIX32 inchFraction = toFix32(21 / 300.0);  // 0.07 inch
  EXPECT_EQ(inchFraction.Whole, 0);
  EXPECT_EQ(inchFraction.Frac, 4588);  // 4587.52 rounded
  const TW_FIX32 negative = toFix32(-1.5);
  EXPECT_EQ(negative.Whole, -2);
  EXPECT_EQ(negative.Frac, 32768);
  EXPECT_EQ(fromFix32(negative), -1.5);
  EXPECT_EQ(toFix32(200).Whole, 200);
  EXPECT_EQ(toFix32(200).Frac, 0);

  // In a one-value container the whole part comes first in memory.
  const TW_UINT32 item = fix32AsItem(toFix32(-200.25));
  EXPECT_EQ(item & 0xFFFF, 0xFF37u);
  EXPECT_EQ(fromFix32(itemAsFix32(item)), -200.25);
}

TEST(TwainProtocol, FixedPointSaturatesOutOfRangeValues) {
  // A hand-edited profile may ask for a resolution or a frame no 16.16 value holds.
  for (double huge : {32768.0, 1e6, 4e9, std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(toFix32(huge).Whole, 32767) << huge;
    EXPECT_EQ(toFix32(huge).Frac, 65535) << huge;
    EXPECT_EQ(toFix32(-huge).Whole, -32768) << huge;
    EXPECT_EQ(toFix32(-huge).Frac, 0) << huge;
  }
  const TW_FIX32 nan = toFix32(std::nan(""));
  EXPECT_EQ(nan.Whole, 0);
  EXPECT_EQ(nan.Frac, 0);
}

}  // namespace
}  // namespace ostrel::twain
