#include "platform/text.h"

#include <gtest/gtest.h>

namespace ostrel::platform {
namespace {

TEST(Text, Utf16RoundTripIncludingSurrogatesAndBadBytes) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // a é € 😀
  const std::u16string wide = utf8ToUtf16(text);
  EXPECT_EQ(wide, (std::u16string{u'a', 0xE9, 0x20AC, 0xD83D, 0xDE00}));
  EXPECT_EQ(utf16ToUtf8(wide), text);
  EXPECT_EQ(utf8ToUtf16("\xFF"), std::u16string(1, 0xFFFD));
  EXPECT_EQ(utf8ToUtf16("\xC3"), std::u16string(1, 0xFFFD));          // truncated sequence
  EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), std::u16string(1, 0xFFFD));      // overlong
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, 0xD800)), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(Text, TruncateCountsCharactersNotBytes) {
  EXPECT_EQ(truncateChars("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(truncateChars("abc", 3), "abc");
  EXPECT_EQ(truncateChars("abc", 0), "");
}

TEST(Text, CaseAndBlanks) {
  EXPECT_TRUE(equalsNoCase("StiDevice", "STIDEVICE"));
  EXPECT_FALSE(equalsNoCase("abc", "abd"));
  EXPECT_TRUE(startsWithNoCase("%MyDocuments%/x", "%MYDOCUMENTS%"));
  EXPECT_EQ(trimBlanks(" \t x y \t"), "x y");
  EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
  EXPECT_EQ(joinPath("/a", "b"), "/a/b");
  EXPECT_EQ(folderOf("/a/b/c.ini"), "/a/b");
  EXPECT_EQ(folderOf("/c.ini"), "/");
  EXPECT_EQ(folderOf("c.ini"), ".");
}

}  // namespace
}  // namespace ostrel::platform
