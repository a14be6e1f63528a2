// A press that asks for more pages: the button dispatch, the TWAIN session on a
// virtual scanner and the scan job together, with the prompt answered here.
#include <gtest/gtest.h>

#include "app/core/button_dispatcher.h"
#include "app/core/configured_scanner.h"
#include "app/scan/twain/twain_scan_session.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/child_process.h"
#include "tests/manager/manager_fakes.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

TEST(MorePages, EveryPassGoesIntoTheSameOpenDocument) {
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "add-virtual", "usb:04c5:1400", "Tern", "--generate", "3"}),
            0);
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("usb:04c5:1400"), 1);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  ConfiguredScanner scanner(config);

  Journal journal;
  FakeProfiles profiles(journal);
  CScanSetting profile;
  profile.resolution = 100;
  CButtonSetting& button = profiles.configure(5, "", "Storage");
  button.scanSetting = &profile;
  button.fileFormat = format::kMultiPdf;
  button.imageFolder = tempRoot() + "/Scans";
  button.morePages = 1;

  RecordingUserInterface ui;
  RecordingDelivery delivery;
  OutputJob job({ui, delivery, tempRoot() + "/program"});
  TwainScanSession session(config, ui, binDir() + "/libostreldsm.so");
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  FakeAbout about(journal);
  FakePrompt prompt(journal);
  prompt.answers = {true, false};
  FakeFax fax(journal);
  FakePanel panel(journal);
  InlineJobRunner jobs;
  HeldMessages messages(ui);
  ButtonDispatcher dispatcher(
      {scanner, profiles, job, session, jobs, messages, configuration, cloud, about, prompt, fax, panel});

  dispatcher.onButtonEvent(5, 1);
  EXPECT_EQ(folderEntries(tempRoot() + "/Scans"), std::vector<std::string>{"Scan0000.pdf"});
  EXPECT_EQ(pdfPages(tempRoot() + "/Scans/Scan0000.pdf"), 6);
  EXPECT_EQ(job.counter(), 1);
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace ostrel
