#include "app/scan/naming/naming_pattern.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

class FixedSource : public NamingSource {
 public:
  int counter() const override { return count; }
  NamingTime now() override { return time; }
  std::string barcode() override { return barcodeText; }
  std::string userName() override { return user; }
  std::string computerName() override { return computer; }

  int count = 7;
  NamingTime time{2026, 12, 4, 14, 5, 9};
  std::string barcodeText = "INV42";
  std::string user = "alice";
  std::string computer = "desk";
};

std::string expand(std::string_view pattern, FixedSource source = {}) {
  return expandPattern(pattern, source).baseName;
}

TEST(NamingPattern, CounterRunIsAMinimumWidth) {
  FixedSource source;
  EXPECT_EQ(expandPattern("Scan<####>", source).baseName, "Scan0007");
  EXPECT_TRUE(expandPattern("Scan<####>", source).numbered);
  source.count = 12345;
  EXPECT_EQ(expandPattern("Scan<####>", source).baseName, "Scan12345");
  source.count = -3;
  EXPECT_EQ(expandPattern("<###>", source).baseName, "-03");
  EXPECT_FALSE(expandPattern("Scan<YYYY>", source).numbered);
}

TEST(NamingPattern, DateAndTimeTokens) {
  EXPECT_EQ(expand("<YYYY-MM-DD>_<hh><mm>"), "2026-12-04_0205");
  EXPECT_EQ(expand("<M>-<D>"), "12-4");
  EXPECT_EQ(expand("<HH>:<H>|<ss>|<s>"), "14:14|09|9");
  EXPECT_EQ(expand("<yyyy><yyY><Yy><y>"), "2026026266");
  EXPECT_EQ(expand("<YYYYY>"), "20266");  // a four-letter run, then one more
}

TEST(NamingPattern, LetterCaseRules) {
  EXPECT_EQ(expand("<Dd>"), "04");       // D and d pair either way
  EXPECT_EQ(expand("<sS>"), "09");
  EXPECT_EQ(expand("<Mm>"), "125");      // month, then minute: only MM pairs
  EXPECT_EQ(expand("<mM>"), "512");
  EXPECT_EQ(expand("<Hh>"), "142");      // 24-hour, then 12-hour
  EXPECT_EQ(expand("<b><u><c>"), "buc");  // only the capitals are tokens
}

TEST(NamingPattern, TwelveHourClockKeepsMidnightAndNoon) {
  FixedSource source;
  for (auto [hour, expected] : {std::pair{0, "0"}, {12, "12"}, {13, "1"}, {23, "11"}}) {
    source.time.hour = hour;
    EXPECT_EQ(expandPattern("<h>", source).baseName, expected) << hour;
  }
}

TEST(NamingPattern, UnreadableClockGivesZeroDateAndMinusOneTime) {
  FixedSource source;
  source.time = NamingTime{};
  EXPECT_EQ(expandPattern("<YYYY-MM-DD_HH-mm-ss>", source).baseName, "0000-00-00_-1--1--1");
}

TEST(NamingPattern, GroupsAndLiterals) {
  EXPECT_EQ(expand("Doc<>Name"), "DocName");
  EXPECT_EQ(expand("<Scan #>"), "9can 7");  // S is the second; c is no token
  EXPECT_EQ(expand("a<x>b<#>c"), "axb7c");
  EXPECT_EQ(expand("<U>@<C>"), "alice@desk");
  EXPECT_EQ(expand("<B>"), "INV42");
}

TEST(NamingPattern, OpenBracketWithoutCloseStaysLiteral) {
  EXPECT_EQ(expand("Scan<####"), "Scan<####");
  EXPECT_EQ(expand("A<#>B<C"), "A7B<C");
  EXPECT_EQ(expand("<<#>"), "<7");
  EXPECT_EQ(expand(">x<"), ">x<");
}

TEST(NamingPattern, ExpandedTextIsScannedAgain) {
  FixedSource source;
  source.barcodeText = "<YYYY>";
  EXPECT_EQ(expandPattern("<B>", source).baseName, "2026");
}

TEST(NamingPattern, SelfReproducingValuesStopExpanding) {
  FixedSource source;
  source.user = "<U><U>";
  const std::string name = expandPattern("<U>", source).baseName;
  EXPECT_LE(name.size(), 40000u);
  EXPECT_NE(name.find("<U>"), std::string::npos);
}

}  // namespace
}  // namespace ostrel
