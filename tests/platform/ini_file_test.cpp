#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/ini_document.h"
#include "platform/text.h"
#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

std::string iniPath(const char* name = "test.ini") { return tempRoot() + "/" + name; }

TEST(IniFile, MissingFileReadsDefaultsAndWriteCreatesIt) {
  const std::string path = iniPath();
  EXPECT_EQ(GetPrivateProfileString("1", "Startup", "dflt", path), "dflt");
  EXPECT_EQ(GetPrivateProfileInt("1", "Startup", -1, path), -1);
  ASSERT_TRUE(WritePrivateProfileString("1", "Startup", "1", path));
  EXPECT_EQ(readFile(path), "[1]\r\nStartup=1\r\n");
  EXPECT_EQ(GetPrivateProfileInt("1", "Startup", 0, path), 1);
}

TEST(IniFile, WriteIntoMissingFolderFailsWithoutCreatingIt) {
  EXPECT_FALSE(WritePrivateProfileString("1", "k", "v", tempRoot() + "/nowhere/x.ini"));
  struct stat st {};
  EXPECT_NE(::stat((tempRoot() + "/nowhere").c_str(), &st), 0);
}

TEST(IniFile, NamesCompareWithoutCaseAndSurroundingBlanks) {
  const std::string path = writeFile(iniPath(), "[ EasyDlg ]\r\n  Check1 = Save it \r\nTITLE=Easy\r\n");
  EXPECT_EQ(GetPrivateProfileString("easydlg", "Check1 ", "x", path), "Save it");
  EXPECT_EQ(GetPrivateProfileString("EASYDLG", "check1", "x", path), "Save it");
  EXPECT_EQ(GetPrivateProfileString("EasyDlg", "Title", "x", path), "Easy");
  EXPECT_EQ(GetPrivateProfileString("EasyDlg", "Missing", "x", path), "x");
}

TEST(IniFile, FirstMatchWinsAndEmptyValueIsNotTheDefault) {
  const std::string path = writeFile(iniPath(), "[a]\nk=1\nk=2\nempty=\n[A]\nk=3\nother=4\n");
  EXPECT_EQ(GetPrivateProfileString("a", "k", "", path), "1");
  EXPECT_EQ(GetPrivateProfileString("a", "empty", "dflt", path), "");
  // Only the first section of a name is searched.
  EXPECT_EQ(GetPrivateProfileString("a", "other", "none", path), "none");
}

TEST(IniFile, QuotesAroundValueAreRemovedOnce) {
  const std::string path =
      writeFile(iniPath(), "[s]\nq=\"quoted text\"\nsingle='x'\nmixed=\"a'\ninner=a\"b\"\n");
  EXPECT_EQ(GetPrivateProfileString("s", "q", "", path), "quoted text");
  EXPECT_EQ(GetPrivateProfileString("s", "single", "", path), "x");
  EXPECT_EQ(GetPrivateProfileString("s", "mixed", "", path), "\"a'");
  EXPECT_EQ(GetPrivateProfileString("s", "inner", "", path), "a\"b\"");
}

TEST(IniFile, ValuesAreCutTo259Characters) {
  const std::string path = iniPath();
  const std::string longValue(300, 'v');
  ASSERT_TRUE(WritePrivateProfileString("s", "k", longValue, path));
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", path), std::string(259, 'v'));
  // Multi-byte characters count as one and are never split.
  std::string accents;
  for (int i = 0; i < 260; ++i) accents += "\xC3\xA9";
  ASSERT_TRUE(WritePrivateProfileString("s", "u", accents, path));
  EXPECT_EQ(GetPrivateProfileString("s", "u", "", path), accents.substr(0, 259 * 2));
  // The whole value stays in the file.
  EXPECT_NE(readFile(path).find(longValue), std::string::npos);
  EXPECT_EQ(GetPrivateProfileString("s", "missing", longValue, path).size(), 259u);
}

TEST(IniFile, UpdateInPlaceKeepsEveryOtherByte) {
  const std::string original =
      "; hand-written comment\n"
      "[First]\r\n"
      "Alpha = one   \r\n"
      "Beta=two\n"
      "\r\n"
      "[Second]\r\n"
      "Gamma=three\r\n"
      "trailing line without break";
  const std::string path = writeFile(iniPath(), original);
  ASSERT_TRUE(WritePrivateProfileString("first", "ALPHA", "uno", path));
  std::string expected = original;
  expected.replace(expected.find("Alpha = one   "), 14, "Alpha=uno");
  EXPECT_EQ(readFile(path), expected);
  ASSERT_TRUE(WritePrivateProfileString("First", "Beta", "", path));
  expected.replace(expected.find("Beta=two"), 8, "Beta=");
  EXPECT_EQ(readFile(path), expected);
}

TEST(IniFile, NewKeyGoesAfterTheLastEntryOfItsSection) {
  const std::string path =
      writeFile(iniPath(), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("a", "z", "3", path));
  EXPECT_EQ(readFile(path), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("C", "w", "4", path));
  EXPECT_EQ(readFile(path), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
}

TEST(IniFile, AppendingToAFileWithoutFinalLineBreak) {
  const std::string path = writeFile(iniPath(), "[A]\nx=1");
  ASSERT_TRUE(WritePrivateProfileString("A", "y", "2", path));
  EXPECT_EQ(readFile(path), "[A]\nx=1\r\ny=2\r\n");
  ASSERT_TRUE(WritePrivateProfileString("A", "x", "9", path));
  EXPECT_EQ(readFile(path), "[A]\nx=9\r\ny=2\r\n");
  // A carriage return alone does not end a line; the new key must not join it.
  const std::string bare = writeFile(iniPath("bare.ini"), "[A]\nx=1\r");
  ASSERT_TRUE(WritePrivateProfileString("A", "y", "2", bare));
  EXPECT_EQ(GetPrivateProfileString("A", "y", "", bare), "2");
  EXPECT_EQ(GetPrivateProfileString("A", "x", "", bare), "1");
  EXPECT_EQ(readFile(bare), "[A]\nx=1\r\ny=2\r\n");
  const std::string section = writeFile(iniPath("section.ini"), "[A]\r\nx=1\r");
  ASSERT_TRUE(WritePrivateProfileString("B", "y", "2", section));
  EXPECT_EQ(readFile(section), "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
}

TEST(IniFile, ValuesCannotInjectLinesAndBadNamesAreRefused) {
  const std::string path = iniPath();
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "a\r\n[evil]\r\nx=1", path));
  EXPECT_EQ(GetPrivateProfileString("evil", "x", "none", path), "none");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", path), "a  [evil]  x=1");
  EXPECT_FALSE(WritePrivateProfileString("s", "a=b", "v", path));
  EXPECT_FALSE(WritePrivateProfileString("s]", "k", "v", path));
  EXPECT_FALSE(WritePrivateProfileString("s", "", "v", path));
  EXPECT_FALSE(WritePrivateProfileString("", "k", "v", path));
  EXPECT_FALSE(WritePrivateProfileString("s", ";k", "v", path));
}

TEST(IniFile, IntegersReadLikeTheSystemDoes) {
  const std::string path = writeFile(
      iniPath(), "[n]\nplain=42\nneg=-7\nlead= 12abc\nword=abc\nhuge=99999999999\nlow=-99999999999\n"
                 "empty=\nblank=  \nquotes=\"\"\n");
  EXPECT_EQ(GetPrivateProfileInt("n", "plain", 0, path), 42);
  EXPECT_EQ(GetPrivateProfileInt("n", "neg", 0, path), -7);
  EXPECT_EQ(GetPrivateProfileInt("n", "lead", 0, path), 12);
  EXPECT_EQ(GetPrivateProfileInt("n", "word", 5, path), 0);
  EXPECT_EQ(GetPrivateProfileInt("n", "huge", 0, path), 2147483647);
  EXPECT_EQ(GetPrivateProfileInt("n", "low", 0, path), -2147483647 - 1);
  EXPECT_EQ(GetPrivateProfileInt("n", "missing", -1, path), -1);
  EXPECT_EQ(GetPrivateProfileInt("n", "empty", -1, path), -1);
  EXPECT_EQ(GetPrivateProfileInt("n", "blank", 1, path), 1);
  EXPECT_EQ(GetPrivateProfileInt("n", "quotes", 18, path), 18);
}

TEST(IniFile, ChangesByOthersAreSeenAtOnce) {
  const std::string path = writeFile(iniPath(), "[s]\nk=aaaa\n");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", path), "aaaa");
  // Same size, new content: must not be served from the parsed copy.
  writeFile(path, "[s]\nk=bbbb\n");
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", path), "bbbb");
  std::remove(path.c_str());
  EXPECT_EQ(GetPrivateProfileString("s", "k", "gone", path), "gone");
}

TEST(IniFile, WriteKeepsPermissionsOfAnExistingFile) {
  const std::string path = writeFile(iniPath(), "[s]\nk=1\n");
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", path));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(IniFile, NewFilesTakeTheUmaskAndLongNamesStillWrite) {
  const mode_t previous = ::umask(027);
  const bool written = WritePrivateProfileString("s", "k", "1", iniPath("new.ini"));
  ::umask(previous);
  ASSERT_TRUE(written);
  struct stat st {};
  ASSERT_EQ(::stat(iniPath("new.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // The temporary file beside it must fit the file system's name limit too.
  const std::string longName = std::string(251, 'n') + ".ini";
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "1", iniPath(longName.c_str())));
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", iniPath(longName.c_str())));
  EXPECT_EQ(GetPrivateProfileInt("s", "k", 0, iniPath(longName.c_str())), 2);
  std::size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tempRoot())) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 2u);  // no temporary file left behind
}

TEST(IniFile, AWriteThroughASymbolicLinkChangesTheFileItPointsAt) {
  std::filesystem::create_directories(tempRoot() + "/synced");
  const std::string target = writeFile(tempRoot() + "/synced/real.ini", "[s]\r\nk=1\r\n");
  const std::string link = iniPath("link.ini");
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(WritePrivateProfileString("s", "k", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readFile(target), "[s]\r\nk=2\r\n");
  EXPECT_EQ(GetPrivateProfileInt("s", "k", 0, link), 2);
}

// UTF-8 text as UTF-16 bytes with a byte-order mark.
std::string utf16File(std::string_view text, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

TEST(IniFile, Utf16FilesAreReadAndWrittenBackInTheirOwnEncoding) {
  for (const bool bigEndian : {false, true}) {
    const std::string original =
        "; \u7FFB\u8A33\r\n[EasyDlg]\r\nCheck1=\u30B9\u30AD\u30E3\u30F3\u6642\u306B\u9078\u629E\r\n"
        "Check2=\U0001F5A8 \u5370\u5237\r\n";
    const std::string path = writeFile(iniPath(bigEndian ? "be.ini" : "le.ini"), utf16File(original, bigEndian));
    EXPECT_EQ(GetPrivateProfileString("EasyDlg", "Check1 ", "", path),
              "\u30B9\u30AD\u30E3\u30F3\u6642\u306B\u9078\u629E");
    EXPECT_EQ(GetPrivateProfileString("EasyDlg", "Check2", "", path), "\U0001F5A8 \u5370\u5237");

    ASSERT_TRUE(WritePrivateProfileString("EasyDlg", "Name", "\u540D\u524D", path));
    EXPECT_EQ(readFile(path), utf16File(original + "Name=\u540D\u524D\r\n", bigEndian));
  }
}

TEST(IniFile, EnumeratesSectionsAndKeysInFileOrder) {
  const std::string path = writeFile(iniPath(), "[b]\nz=1\ny=2\nZ=3\n[a]\n[B]\nq=4\n");
  EXPECT_EQ(GetPrivateProfileSectionNames(path), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(GetPrivateProfileKeyNames("B", path), (std::vector<std::string>{"z", "y"}));
  EXPECT_TRUE(GetPrivateProfileKeyNames("none", path).empty());
}

TEST(IniDocument, KeysBeforeTheFirstSectionAndByteOrderMarkAreHandled) {
  IniDocument doc("\xEF\xBB\xBF[s]\nk=v\n");
  EXPECT_EQ(doc.value("s", "k").value_or("none"), "v");
  IniDocument orphan("k=v\n[s]\n");
  EXPECT_FALSE(orphan.value("s", "k").has_value());
  IniDocument unclosed("[open\nk=v\n");
  EXPECT_EQ(unclosed.value("open", "k").value_or("none"), "v");
}

TEST(IniDocument, CopiesStayValidAfterTheOriginalIsGone) {
  // Short texts live inside the string object itself; a copy must not point back.
  auto make = [] { return IniDocument("[s]\nk=v\n"); };
  IniDocument copy = make();
  IniDocument moved = std::move(copy);
  EXPECT_EQ(moved.value("s", "k").value_or("none"), "v");
}

}  // namespace
}  // namespace ostrel::platform
