#include <gtest/gtest.h>

#include "app/settings/profile_path.h"
#include "app/settings/profile_store.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::fakeBinFolder;
using ostrel::testing::makeProgram;
using ostrel::testing::scannerFile;
using ostrel::testing::ScopedPath;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

std::string destinationFile() { return scannerFile("ApplicationSetting.ini"); }

std::vector<std::string> titles(const ProfileStore& store) {
  std::vector<std::string> out;
  for (const auto& destination : store.ApplicationSettingList()) {
    out.push_back(destination->section + ":" + destination->title);
  }
  return out;
}

TEST(Destinations, EveryKeyRoundTripsAndPathsAreExpandedOnLoad) {
  const std::string viewer = makeProgram(platform::homeFolder() + "/apps", "viewer");
  writeFile(destinationFile(), "[0]\r\nValid=1\r\nTitle=Storage\r\n");
  ProfileStore store;
  store.LoadApplicationSettings(destinationFile());
  CApplicationSetting* added = store.AddApplicationSetting();
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->section, "1");
  added->title = "Viewer";
  added->path = "%USERPROFILE%/apps/viewer";
  added->defaultFolder = "%mydocuments%/Scans/";
  added->beforeFix = "--new-window";
  added->afterFix = "--fullscreen";
  added->folderOnly = 1;
  added->singleEvent = 1;
  added->imageFormatCheck = 384;
  added->defaultFormat = 256;
  ASSERT_TRUE(store.SaveApplicationSetting(*added));
  EXPECT_EQ(platform::GetPrivateProfileKeyNames("1", destinationFile()),
            (std::vector<std::string>{"Valid", "Title", "Path", "DefaultFolder", "BeforeFix", "AfterFix",
                                      "FolderOnly", "SingleEvent", "ImageFormatCheck", "DefaultFormat"}));

  ProfileStore again;
  again.LoadApplicationSettings(destinationFile());
  const CApplicationSetting* loaded = again.FindApplicationSetting("Viewer");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->path, viewer);
  EXPECT_EQ(loaded->defaultFolder, platform::documentsFolder() + "/Scans/");
  EXPECT_EQ(loaded->beforeFix, "--new-window");
  EXPECT_EQ(loaded->afterFix, "--fullscreen");
  EXPECT_EQ(loaded->folderOnly, 1);
  EXPECT_EQ(loaded->singleEvent, 1);
  EXPECT_EQ(loaded->imageFormatCheck, 384);
  EXPECT_EQ(loaded->defaultFormat, 256);
  // A section without DefaultFolder proposes the documents folder.
  EXPECT_EQ(again.FindApplicationSetting("Storage")->defaultFolder, platform::documentsFolder() + "/Ostrel/");
}

TEST(Destinations, MissingProgramsAreSkippedButKeywordsAndLaterSectionsLoad) {
  writeFile(destinationFile(),
            "[0]\r\nValid=1\r\nTitle=Storage\r\nPath=\r\n"
            "[1]\r\nValid=1\r\nTitle=Gone\r\nPath=/nowhere/program\r\n"
            "[2]\r\nValid=1\r\nTitle=Print\r\nPath=PRINT\r\n"
            "[3]\r\nValid=0\r\nTitle=Off\r\n"
            "[4]\r\nValid=1\r\nTitle=Fax\r\nPath=FAX\r\n"
            "[5]\r\nValid=1\r\nTitle=Mail\r\nPath=MAIL\r\n"
            "[6]\r\nValid=1\r\nTitle=Cloud\r\nPath=GOOGLE\r\n"
            "[8]\r\nValid=1\r\nTitle=AfterTheGap\r\n");
  ProfileStore store;
  store.LoadApplicationSettings(destinationFile());
  EXPECT_EQ(titles(store), (std::vector<std::string>{"0:Storage", "2:Print", "4:Fax", "5:Mail", "6:Cloud"}));
  // The skipped destination stays in the file.
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Path", "", destinationFile()), "/nowhere/program");
}

TEST(Destinations, AMissingFileGetsTheFallbackCatalogInMemoryAndOnDisk) {
  ScopedPath path(fakeBinFolder());
  const std::string pinta = makeProgram(fakeBinFolder(), "pinta");
  ProfileStore store;
  EXPECT_EQ(store.AddApplicationSetting(), nullptr);  // no file known yet
  EXPECT_EQ(store.LoadApplicationSettings(""), 0);

  ASSERT_EQ(store.LoadApplicationSettings(destinationFile()), 1);
  EXPECT_EQ(titles(store), (std::vector<std::string>{"0:Storage", "1:Print", "2:eMail", "3:mspaint",
                                                     "4:Google Docs", "5:notepad", "6:Wordpad"}));
  const auto& list = store.ApplicationSettingList();
  EXPECT_EQ(list[0]->defaultFolder, defaultFolderBase());
  EXPECT_EQ(list[1]->defaultFolder, "");
  EXPECT_EQ(list[1]->imageFormatCheck, 0);
  EXPECT_EQ(list[3]->path, pinta);
  EXPECT_EQ(list[4]->imageFormatCheck, -2);
  EXPECT_EQ(list[5]->path, "/usr/bin/gedit");  // not installed: where the package would put it
  for (const auto& destination : list) EXPECT_EQ(destination->defaultFormat, 0);

  EXPECT_EQ(platform::GetPrivateProfileString("3", "Path", "", destinationFile()), pinta);
  EXPECT_EQ(platform::GetPrivateProfileInt("6", "ImageFormatCheck", 0, destinationFile()), 15);
  // The path is remembered: a load without one reads the same file.
  ProfileStore again;
  again.LoadApplicationSettings(destinationFile());
  EXPECT_EQ(again.LoadApplicationSettings(""), 1);
  EXPECT_EQ(again.FindApplicationSetting("mspaint")->path, pinta);
}

}  // namespace
}  // namespace ostrel
