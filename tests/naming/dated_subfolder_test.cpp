#include "app/scan/naming/dated_subfolder.h"

#include <gtest/gtest.h>

#include "tests/naming/naming_test_support.h"

namespace ostrel {
namespace {

using testing::dateTime;

TEST(DatedSubfolder, EveryFormatForFourthDecember2026) {
  const std::tm friday = dateTime(2026, 12, 4);
  EXPECT_EQ(datedSubfolder("/s/", 0, friday, "bob"), "/s/12-04-2026/");
  EXPECT_EQ(datedSubfolder("/s/", 1, friday, "bob"), "/s/04-12-2026/");
  EXPECT_EQ(datedSubfolder("/s/", 2, friday, "bob"), "/s/week48/");
  EXPECT_EQ(datedSubfolder("/s/", 3, friday, "bob"), "/s/week5/");
  EXPECT_EQ(datedSubfolder("/s/", 4, friday, "bob"), "/s/12-2026/");
  EXPECT_EQ(datedSubfolder("/s/", 5, friday, "bob"), "/s//12-bob/");
  EXPECT_EQ(datedSubfolder("/s/", 6, friday, "bob"), "/s/");
  EXPECT_EQ(datedSubfolder("/s/", -1, friday, "bob"), "/s/");
}

TEST(DatedSubfolder, WeekNumbersAtYearBoundaries) {
  // Monday starts a week; days before a year's first Monday are week 00.
  EXPECT_EQ(datedSubfolder("", 2, dateTime(2026, 1, 1), ""), "week00/");   // Thursday
  EXPECT_EQ(datedSubfolder("", 2, dateTime(2026, 1, 4), ""), "week00/");   // Sunday
  EXPECT_EQ(datedSubfolder("", 2, dateTime(2026, 1, 5), ""), "week01/");   // Monday
  EXPECT_EQ(datedSubfolder("", 2, dateTime(2024, 1, 1), ""), "week01/");   // a Monday New Year
  EXPECT_EQ(datedSubfolder("", 2, dateTime(2024, 12, 31), ""), "week53/");
  EXPECT_EQ(datedSubfolder("", 2, dateTime(2025, 12, 31), ""), "week52/");
  EXPECT_EQ(datedSubfolder("", 3, dateTime(2026, 1, 4), ""), "week0/");    // Sunday is 0
}

TEST(DatedSubfolder, YearIsBlankPaddedInDailyFolders) {
  EXPECT_EQ(datedSubfolder("", 0, dateTime(987, 3, 9), ""), "03-09- 987/");
  EXPECT_EQ(datedSubfolder("", 4, dateTime(987, 3, 9), ""), "03-0987/");
}

TEST(DatedSubfolder, UnreadableClock) {
  EXPECT_EQ(datedSubfolder("", 0, std::nullopt, ""), "00-00-   0/");
  EXPECT_EQ(datedSubfolder("", 2, std::nullopt, ""), "week/");
  EXPECT_EQ(datedSubfolder("", 3, std::nullopt, ""), "week0/");
}

}  // namespace
}  // namespace ostrel
