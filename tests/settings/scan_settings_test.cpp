#include <gtest/gtest.h>

#include "app/settings/profile_store.h"
#include "platform/ini_file.h"
#include "tests/settings/settings_test_support.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::scannerFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

std::string scanFile() { return scannerFile("ScanSetting.ini"); }

std::vector<std::string> titles(const ProfileStore& store) {
  std::vector<std::string> out;
  for (const auto& profile : store.ScanSettingList()) out.push_back(profile->section + ":" + profile->title);
  return out;
}

// Every integer the file stores (FilterValue is only read).
std::vector<int*> storedInts(CScanSetting& p) {
  return {&p.resolution,      &p.threshold,       &p.scanMode,         &p.automatic,       &p.xOffset,
          &p.yOffset,         &p.width,           &p.height,           &p.brightness,      &p.contrast,
          &p.gamma,           &p.scanSide,        &p.autoText,         &p.rotationFront,   &p.rotationRear,
          &p.stitch,          &p.edgeCleanUp,     &p.edgeCleanUpColor, &p.edgeCleanUpSize, &p.backgroundColor,
          &p.blankPageRemove, &p.pageSensitivity, &p.colorMatch,       &p.checkDespeckle,  &p.despeckleNum,
          &p.despeckleRange,  &p.batchMode,       &p.batchPageNum,     &p.dropout,         &p.dropRed,
          &p.dropBlue,        &p.dropGreen,       &p.lengthCheck,      &p.continueScan,    &p.audio,
          &p.paperSize,       &p.paperSizeUnit,   &p.createSubfolder};
}

std::vector<int> storedValues(CScanSetting profile) {
  std::vector<int> values;
  for (const int* field : storedInts(profile)) values.push_back(*field);
  return values;
}

void expectSameStoredFields(const CScanSetting& a, const CScanSetting& b) {
  EXPECT_EQ(storedValues(a), storedValues(b));
  EXPECT_EQ(a.title, b.title);
}

TEST(ScanSettings, EveryKeyRoundTripsInItsOrderAndFilterValueIsNeverWritten) {
  ProfileStore store;
  store.LoadScanSettings(scanFile());
  CScanSetting* added = store.AddScanSetting();
  const std::string& section = added->section;
  // Values unlike both the read defaults and the new-record values.
  int next = 1000;
  for (int* field : storedInts(*added)) *field = next++;
  added->brightness = -7;  // signed values survive
  added->title = "Receipts";
  ASSERT_TRUE(store.SaveScanSetting(*added));

  EXPECT_EQ(platform::GetPrivateProfileKeyNames(section, scanFile()),
            (std::vector<std::string>{"Valid",           "Title",           "Resolution",
                                      "Threshold",       "ScanMode",        "Automatic",
                                      "XOffset",         "YOffset",         "Width",
                                      "Height",          "Brightness",      "Contrast",
                                      "Gamma",           "ScanSide",        "AutoText",
                                      "RotationFront",   "RotationRear",    "Stitch",
                                      "BatchMode",       "BatchPageNum",    "EdgeCleanUpColor",
                                      "EdgeCleanUp",     "EdgeCleanUpSize", "BackgroundColor",
                                      "BlankPageRemove", "PageSensitivity", "PaperSize",
                                      "PaperSizeUnit",   "Dropout",         "DropRed",
                                      "DropGreen",       "DropBlue",        "LengthCheck",
                                      "ContinueScan",    "Audio",           "CreateSubfolder",
                                      "ColorMatch",      "CheckDespeckle",  "DespeckleNum",
                                      "DespeckleRange",  "OcrLanguage"}));

  ProfileStore again;
  again.LoadScanSettings(scanFile());
  const CScanSetting* loaded = again.FindScanSetting("Receipts");
  ASSERT_NE(loaded, nullptr);
  expectSameStoredFields(*loaded, *added);
  EXPECT_EQ(loaded->filterValue, 18);
}

// The language chosen on the wizard's first page used to live in memory only:
// every restart recognised in English again.
TEST(ScanSettings, TheOcrLanguageIsKeptAcrossARestartAndAMissingOneIsEnglish) {
  ProfileStore store;
  store.LoadScanSettings(scanFile());
  CScanSetting* added = store.AddScanSetting();
  added->title = "Lettres";
  added->ocrLanguage = "French";
  ASSERT_TRUE(store.SaveScanSetting(*added));

  ProfileStore restarted;
  restarted.LoadScanSettings(scanFile());
  const CScanSetting* loaded = restarted.FindScanSetting("Lettres");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->ocrLanguage, "French");

  writeFile(scanFile(), "[0]\r\nValid=1\r\nTitle=Bare\r\nOcrLanguage=\r\n");
  restarted.LoadScanSettings(scanFile());
  EXPECT_EQ(restarted.ScanSettingList().front()->ocrLanguage, "English");
}

TEST(ScanSettings, MissingKeysReadTheirDefaultsWhichDifferFromANewRecord) {
  writeFile(scanFile(), "[0]\r\nValid=1\r\nTitle=Bare\r\n");
  ProfileStore store;
  store.LoadScanSettings(scanFile());
  ASSERT_EQ(store.ScanSettingList().size(), 1u);
  const CScanSetting& read = *store.ScanSettingList().front();
  CScanSetting expected;
  expected.title = "Bare";
  expected.continueScan = 0;
  expected.audio = 1;
  expectSameStoredFields(read, expected);

  const CScanSetting* fresh = store.AddScanSetting();
  EXPECT_EQ(fresh->continueScan, 1);
  EXPECT_EQ(fresh->audio, 0);
}

TEST(ScanSettings, ValidZeroSkipsASectionAndAMissingSectionEndsTheFile) {
  const std::string head = "[0]\r\nValid=1\r\nTitle=A\r\n[1]\r\nValid=1\r\nTitle=B\r\n";
  writeFile(scanFile(), head + "[2]\r\nValid=0\r\nTitle=C\r\n[3]\r\nValid=2\r\nTitle=D\r\n");
  ProfileStore store;
  store.LoadScanSettings(scanFile());
  EXPECT_EQ(titles(store), (std::vector<std::string>{"0:A", "1:B", "3:D"}));

  writeFile(scanFile(), head + "[3]\r\nValid=1\r\nTitle=D\r\n");
  store.LoadScanSettings(scanFile());
  EXPECT_EQ(titles(store), (std::vector<std::string>{"0:A", "1:B"}));

  // Section "0" is kept even when it is marked not valid.
  writeFile(scanFile(), "[0]\r\nValid=0\r\nTitle=Z\r\n[1]\r\nValid=1\r\nTitle=B\r\n");
  store.LoadScanSettings(scanFile());
  EXPECT_EQ(titles(store), (std::vector<std::string>{"0:", "1:B"}));
}

TEST(ScanSettings, AMissingFileStillYieldsTheDefaultProfileAndWritesIt) {
  ProfileStore store;
  EXPECT_EQ(store.LoadScanSettings(""), 0);
  EXPECT_TRUE(store.ScanSettingList().empty());

  EXPECT_EQ(store.LoadScanSettings(scanFile()), 1);
  EXPECT_EQ(titles(store), (std::vector<std::string>{"0:default"}));
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "Valid", -1, scanFile()), 1);
  EXPECT_EQ(platform::GetPrivateProfileString("0", "Title", "", scanFile()), "default");
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "Resolution", -1, scanFile()), 200);
}

TEST(ScanSettings, HandEditedFilterValueSurvivesSaves) {
  writeFile(scanFile(), "[0]\r\nValid=1\r\nTitle=A\r\nFilterValue=25\r\nThreshold=90\r\n");
  ProfileStore store;
  store.LoadScanSettings(scanFile());
  CScanSetting& profile = *store.ScanSettingList().front();
  EXPECT_EQ(profile.filterValue, 25);
  EXPECT_EQ(profile.threshold, 90);
  profile.filterValue = 40;  // only a hand edit changes it
  profile.threshold = 100;
  store.SaveScanSetting(profile);
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "FilterValue", -1, scanFile()), 25);
  store.LoadScanSettings(scanFile());
  EXPECT_EQ(store.ScanSettingList().front()->filterValue, 25);
  EXPECT_EQ(store.ScanSettingList().front()->threshold, 100);
}

TEST(ScanSettings, AddedProfilesTakeFreeSectionsAndFindIsExact) {
  writeFile(scanFile(),
            "[0]\r\nValid=1\r\nTitle=Text\r\n[1]\r\nValid=1\r\nTitle=Photo\r\n[2]\r\nValid=0\r\n");
  ProfileStore store;
  store.LoadScanSettings(scanFile());
  CScanSetting* first = store.AddScanSetting();
  CScanSetting* second = store.AddScanSetting();  // before the first is saved
  EXPECT_EQ(first->section, "2");
  EXPECT_EQ(second->section, "3");
  EXPECT_EQ(store.ScanSettingList().size(), 4u);
  EXPECT_EQ(platform::GetPrivateProfileInt("2", "Valid", -1, scanFile()), 0);  // nothing written yet

  EXPECT_EQ(store.FindScanSetting("Photo"), store.ScanSettingList()[1].get());
  EXPECT_EQ(store.FindScanSetting("photo"), nullptr);
  EXPECT_EQ(store.FindScanSetting("Phot"), nullptr);
}

}  // namespace
}  // namespace ostrel
