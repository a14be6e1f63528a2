#include <gtest/gtest.h>

#include "app/settings/password_codec.h"
#include "app/settings/profile_store.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

std::string folder() { return tempRoot() + "/scanner/"; }
std::string buttonFile() { return folder() + "ButtonSetting.ini"; }

// Two scan profiles and two destinations, loaded.
void loadLists(ProfileStore& store) {
  writeFile(folder() + "ScanSetting.ini",
            "[0]\r\nValid=1\r\nTitle=Text\r\n[1]\r\nValid=1\r\nTitle=Photo\r\nResolution=300\r\n");
  writeFile(folder() + "ApplicationSetting.ini",
            "[0]\r\nValid=1\r\nTitle=Storage\r\n[1]\r\nValid=1\r\nTitle=Print\r\nPath=PRINT\r\n");
  store.LoadScanSettings(folder() + "ScanSetting.ini");
  store.LoadApplicationSettings(folder() + "ApplicationSetting.ini");
}

TEST(Buttons, EveryKeyRoundTripsWithTheProfileSavedAlongside) {
  ProfileStore store;
  loadLists(store);
  store.LoadButtonSettings(buttonFile(), 6);
  CButtonSetting& button = *store.Button(3);
  button.title = "Receipts";
  button.scanSetting = store.FindScanSetting("Photo");
  button.scanSetting->resolution = 600;  // saved along with the button
  button.applicationSetting = store.FindApplicationSetting("Print");
  button.selectFolder = 1;
  button.selectName = 1;
  button.morePages = 1;
  button.fileFormat = format::kMultiTiff;
  button.fileFormatProperty = 75;
  button.scanSide = 2;
  button.paperSize = 5;
  button.account = "someone";
  button.password = "p\u00e4ss word";
  button.subfolderName = 4;
  button.rememberLastFolder = 1;
  button.server = "docs.example";
  button.id = "FolderID::abc";
  button.imageName = "Bill<YYYY><####>";
  button.imageFolder = "/srv/scans";
  button.ftpPort = 2121;
  button.ftpAnonymous = 1;
  button.ftpProtocol = "FFTP";
  ASSERT_TRUE(store.SaveButtonSetting(button));

  EXPECT_EQ(platform::GetPrivateProfileKeyNames("3", buttonFile()),
            (std::vector<std::string>{
                "Title", "ScanSetting", "ApplicationSetting", "ImageFolder", "SelectFolder", "SelectName",
                "ImageName", "FileFormat", "FileFormatProperty", "ScanSide", "PaperSize", "MorePages",
                "RememberLastFolder", "Account", "Password", "Server", "ID", "SubfolderName",
                "FtpPort", "FtpAnonymous", "FtpProtocol"}));
  EXPECT_EQ(platform::GetPrivateProfileInt("1", "Resolution", 0, folder() + "ScanSetting.ini"), 600);
  EXPECT_EQ(platform::GetPrivateProfileString("3", "Password", "", buttonFile()),
            EncodePassword("p\u00e4ss word"));

  ProfileStore again;
  loadLists(again);
  again.LoadButtonSettings(buttonFile(), 6);
  const CButtonSetting& loaded = *again.Button(3);
  EXPECT_EQ(loaded.section, "3");
  EXPECT_EQ(loaded.title, "Receipts");
  EXPECT_EQ(loaded.scanSetting, again.FindScanSetting("Photo"));
  EXPECT_EQ(loaded.applicationSetting, again.FindApplicationSetting("Print"));
  EXPECT_EQ(loaded.selectFolder, 1);
  EXPECT_EQ(loaded.selectName, 1);
  EXPECT_EQ(loaded.morePages, 1);
  EXPECT_EQ(loaded.fileFormat, format::kMultiTiff);
  EXPECT_EQ(loaded.fileFormatProperty, 75);
  EXPECT_EQ(loaded.scanSide, 2);
  EXPECT_EQ(loaded.paperSize, 5);
  EXPECT_EQ(loaded.account, "someone");
  EXPECT_EQ(loaded.password, "p\u00e4ss word");
  EXPECT_EQ(loaded.subfolderName, 4);
  EXPECT_EQ(loaded.rememberLastFolder, 1);
  EXPECT_EQ(loaded.server, "docs.example");
  EXPECT_EQ(loaded.id, "FolderID::abc");
  EXPECT_EQ(loaded.imageName, "Bill<YYYY><####>");
  EXPECT_EQ(loaded.imageFolder, "/srv/scans");
  EXPECT_EQ(loaded.ftpPort, 2121);
  EXPECT_EQ(loaded.ftpAnonymous, 1);
  EXPECT_EQ(loaded.ftpProtocol, "FFTP");
}

TEST(Buttons, MissingKeysReadDefaultsAndUnknownTitlesFallBack) {
  ProfileStore store;
  loadLists(store);
  writeFile(buttonFile(),
            "[1]\r\nTitle=Old\r\nScanSetting=Deleted\r\nApplicationSetting=Removed\r\n"
            "[2]\r\nTitle=\r\nScanSetting=Photo\r\nApplicationSetting=Removed\r\n");
  store.LoadButtonSettings(buttonFile(), 9);

  const CButtonSetting& titled = *store.Button(1);
  EXPECT_EQ(titled.scanSetting, store.ScanSettingList().front().get());
  EXPECT_EQ(titled.applicationSetting, store.ApplicationSettingList().front().get());
  EXPECT_EQ(titled.imageName, "Scan<####>");
  EXPECT_EQ(titled.fileFormat, format::kBmp);
  EXPECT_EQ(titled.subfolderName, 2);
  EXPECT_EQ(titled.password, "");
  EXPECT_EQ(titled.ftpPort, 0);
  EXPECT_EQ(titled.ftpProtocol, "FTP");

  const CButtonSetting& untitled = *store.Button(2);  // unconfigured: no destination
  EXPECT_EQ(untitled.scanSetting, store.FindScanSetting("Photo"));
  EXPECT_EQ(untitled.applicationSetting, nullptr);

  // Saving writes what the button now refers to.
  store.SaveButtonSetting(titled);
  EXPECT_EQ(platform::GetPrivateProfileString("1", "ScanSetting", "", buttonFile()), "Text");
  EXPECT_EQ(platform::GetPrivateProfileString("1", "ApplicationSetting", "", buttonFile()), "Storage");
  store.SaveButtonSetting(untitled);
  EXPECT_EQ(platform::GetPrivateProfileString("2", "ApplicationSetting", "?", buttonFile()), "");
}

TEST(Buttons, ImageFolderMarkerAndEnvironmentAreExpandedOnLoadOnly) {
  ProfileStore store;
  loadLists(store);
  writeFile(buttonFile(),
            "[1]\r\nTitle=A\r\nImageFolder=%mydocuments%/Ostrel/\r\n"
            "[2]\r\nTitle=B\r\nImageFolder=%userprofile%/My Documents/Ostrel/eMail\r\n"
            "[3]\r\nTitle=C\r\nImageFolder=/data/%MYDOCUMENTS%\r\n");
  store.LoadButtonSettings(buttonFile(), 3);
  EXPECT_EQ(store.Button(1)->imageFolder, platform::documentsFolder() + "/Ostrel/");
  EXPECT_EQ(store.Button(2)->imageFolder, platform::homeFolder() + "/My Documents/Ostrel/eMail");
  EXPECT_EQ(store.Button(3)->imageFolder, "/data/%MYDOCUMENTS%");  // the marker counts only in front
}

TEST(Buttons, PasswordsLongerThan128CharactersComeBackCut) {
  ProfileStore store;
  loadLists(store);
  store.LoadButtonSettings(buttonFile(), 1);
  std::string password;
  for (int i = 0; i < 130; ++i) password += static_cast<char>('a' + i % 26);
  store.Button(1)->password = password;
  store.SaveButtonSetting(*store.Button(1));
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Password", "", buttonFile()).size(), 259u);

  store.LoadButtonSettings(buttonFile(), 1);
  EXPECT_EQ(store.Button(1)->password, password.substr(0, 128));
}

TEST(Buttons, OnlyTheScannersButtonsAreReachable) {
  ProfileStore store;
  loadLists(store);
  store.LoadButtonSettings(buttonFile(), 6);
  EXPECT_EQ(store.buttonCount(), 6);
  EXPECT_EQ(store.Button(0), nullptr);
  EXPECT_EQ(store.Button(7), nullptr);
  EXPECT_EQ(store.Button(6)->section, "6");
  EXPECT_EQ(store.ButtonTable()[6].section, "0");  // never loaded

  store.LoadButtonSettings("", 12);  // more than the table holds
  EXPECT_EQ(store.buttonCount(), ProfileStore::kButtonTableSize);
  EXPECT_EQ(store.Button(9)->section, "9");
  EXPECT_EQ(store.buttonSettingPath(), buttonFile());
}

TEST(Buttons, FreeProfilesEmptiesTheListsAndLeavesNoDanglingReferences) {
  ProfileStore store;
  loadLists(store);
  writeFile(buttonFile(), "[1]\r\nTitle=A\r\n");
  store.LoadButtonSettings(buttonFile(), 6);
  ASSERT_NE(store.Button(1)->applicationSetting, nullptr);
  store.FreeProfiles();
  EXPECT_TRUE(store.ScanSettingList().empty());
  EXPECT_TRUE(store.ApplicationSettingList().empty());
  EXPECT_EQ(store.Button(1)->title, "A");
  EXPECT_EQ(store.Button(1)->scanSetting, nullptr);
  EXPECT_EQ(store.Button(1)->applicationSetting, nullptr);
}

}  // namespace
}  // namespace ostrel
