#include "app/core/stored_profiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/environment.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ::testing::ElementsAre;
using testing::FakePanel;
using testing::Journal;
using testing::readFile;
using testing::tempRoot;
using testing::writeFile;

// A scanner folder whose button file is empty and scan profile file damaged,
// the scan profiles with a last good copy and the buttons without one.
std::string damagedScannerFolder() {
  const std::string folder = platform::appDataFolder() + "/Ostrel/Heron/";
  writeFile(folder + "ScanSetting.ini", std::string(64, '\0'));
  writeFile(folder + "ScanSetting.ini.last-good", "[0]\r\nValid=1\r\nTitle=Mine\r\n");
  writeFile(folder + "ButtonSetting.ini", "");
  return folder;
}

TEST(StoredProfiles, WhatStartUpRestoredIsToldInTheBalloonOnceThePanelRuns) {
  const std::string folder = damagedScannerFolder();
  StoredProfiles profiles(tempRoot() + "/program");
  profiles.createOrLoad(folder, 6);
  EXPECT_EQ(readFile(folder + "ScanSetting.ini"), "[0]\r\nValid=1\r\nTitle=Mine\r\n");
  EXPECT_EQ(profiles.button(1)->title, "eMail");  // the built-in buttons

  Journal journal;
  FakePanel panel(journal);
  profiles.showPendingNotices(panel);
  profiles.showPendingNotices(panel);
  EXPECT_THAT(journal, ElementsAre("balloon These settings files were damaged and have been restored; the "
                                   "damaged files are kept beside them: ScanSetting.ini, ButtonSetting.ini."));
}

TEST(StoredProfiles, FilesThatCannotBeSetAsideAreNamedApart) {
  const std::vector<ProfileRepair> repairs = {
      {"/a/ScanSetting.ini", "/a/ScanSetting.ini.damaged-20260101-120000", ProfileRepair::Source::lastGoodCopy},
      {"/a/ButtonSetting.ini", "", ProfileRepair::Source::builtInSet},
  };
  const LocalizedText english(tempRoot() + "/no-texts.ini");
  EXPECT_EQ(repairNotice(repairs, english),
            "These settings files were damaged and have been restored; the damaged files are kept beside them: "
            "ScanSetting.ini.\nThese settings files are damaged and cannot be restored: ButtonSetting.ini.");
}

}  // namespace
}  // namespace ostrel
