#include "app/settings/localized_text.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/ini_file.h"
#include "platform/text.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

TEST(LocalizedText, FileValuesWinOverDefaultsEvenWhenEmpty) {
  const LocalizedText missing(tempRoot() + "/none.ini");
  EXPECT_EQ(missing("Else", "Message8", "Printer Error"), "Printer Error");

  const std::string path = writeFile(tempRoot() + "/program/Template/ResourceSetting.ini",
                                     "[EasyDlg]\r\nCheck1=&Zur Scanzeit w\u00e4hlen\r\nCheck2=\r\n"
                                     "[Else]\r\nMessage4=Eins\\nZwei\r\nMessage11=Taste gedr\u00fcckt.\r\n");
  EXPECT_EQ(path, resourceSettingPath(tempRoot() + "/program"));
  const LocalizedText text(path);
  EXPECT_EQ(text("EasyDlg", "Check1 ", "&Select at Scan Time"), "&Zur Scanzeit w\u00e4hlen");
  EXPECT_EQ(text("EasyDlg", "Check2", "Select Name When &Finished"), "");
  EXPECT_EQ(text("EasyDlg", "Name", "Name"), "Name");
  EXPECT_EQ(text("Else", "Message4", "unused"), "Eins\nZwei");
  EXPECT_EQ(text("Else", "Missing", "a\nb"), "a\nb");
  EXPECT_EQ(text("Else", "Missing", std::string(300, 'x')).size(), 259u);
  // A translation that lost its "%d" still gives a line, just without the number.
  EXPECT_EQ(formatWithNumber(text("Else", "Message11", "Button %d is clicked."), 3), "Taste gedr\u00fcckt.");
}

TEST(LocalizedText, NumbersGoIntoTheFirstPlaceholderOnly) {
  EXPECT_EQ(formatWithNumber("Scan Images with Button %d", 4), "Scan Images with Button 4");
  EXPECT_EQ(formatWithNumber("%d%% of %d, %s", 7), "7% of %d, %s");
  EXPECT_EQ(formatWithNumber("trailing %", 1), "trailing %");
}

class ShippedResourceFile : public ::testing::Test {
 protected:
  std::string path_ = ostrel::testing::sourceDir() + "/Template/ResourceSetting.ini";
};

TEST_F(ShippedResourceFile, EveryTextResolvesToItsEnglishDefault) {
  struct Sample {
    const char* section;
    const char* key;
    const char* english;
  };
  const Sample samples[] = {
      {"Menu", "Menu10", "<HH>   hour, 01-24"},
      {"Else", "Message4",
       "Login to Google docs has failed. Please confirm your account and\npassword are correct and that "
       "you have internet access.\nPlease try again later."},
      {"Else", "Message11", "Button %d is clicked."},
      {"Print", "Message1", "You do not have permission to view the printers."},
      {"EasyDlg", "Check1 ", "&Select at Scan Time"},
      {"Adv1", "SubFolderFormat6", "Monthly - MM-name"},
      {"Adv2", "ColorGroupText ", "Color Controls"},
      {"Adv3", "Degree1", "None"},
      {"Adv3", "Degree1 ", "None"},
      {"Adv4", "DropoutGreen ", "Green"},
      {"Adv4", "Message2", "This setting has already exists."},
      {"PDF", "Radio3", "Searchable PDF - Text under Image"},
      {"MorePage", "Button2", "Finish"},
      {"Google", "Text1", "Google Account"},
  };
  const LocalizedText text(path_);
  for (const Sample& sample : samples) {
    // A default that cannot match proves the value came from the file.
    EXPECT_EQ(text(sample.section, sample.key, "\x01"), sample.english)
        << sample.section << "/" << sample.key;
  }
  for (int n = 1; n <= 24; ++n) {
    char key[8];
    std::snprintf(key, sizeof key, "%04d", n);
    EXPECT_NE(text("FaxLogin", key, "\x01"), "\x01") << key;
    if (n <= 6) {
      EXPECT_NE(text("FaxSend", key, "\x01"), "\x01") << key;
    }
  }
  EXPECT_NE(platform::GetPrivateProfileString("Fax", "FaxCountryCode", "", path_).find("Korea=82"),
            std::string::npos);
}

TEST_F(ShippedResourceFile, NamesAreUniqueAsTheProfileFunctionsCompareThem) {
  const std::string text = readFile(path_);
  ASSERT_FALSE(text.empty());
  std::set<std::string> sections;
  std::set<std::string> keys;
  std::size_t lineStart = 0;
  while (lineStart < text.size()) {
    const std::size_t end = text.find('\n', lineStart);
    ASSERT_NE(end, std::string::npos) << "last line has no line end";
    ASSERT_GT(end, lineStart);
    ASSERT_EQ(text[end - 1], '\r') << "line without CR LF at offset " << lineStart;
    const std::string_view line =
        platform::trimBlanks(std::string_view(text).substr(lineStart, end - 1 - lineStart));
    lineStart = end + 1;
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      EXPECT_TRUE(sections.insert(platform::asciiLowerCopy(line)).second) << "section twice: " << line;
      keys.clear();
      continue;
    }
    const std::string key = platform::asciiLowerCopy(platform::trimBlanks(line.substr(0, line.find('='))));
    EXPECT_TRUE(keys.insert(key).second) << "key twice: " << line;
  }
  EXPECT_EQ(sections.size(), 19u);
}

}  // namespace
}  // namespace ostrel
