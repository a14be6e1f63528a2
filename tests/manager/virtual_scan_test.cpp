// A press on a registered virtual scanner, with the real scanner configuration
// and TWAIN session and a recording scan job.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/button_dispatcher.h"
#include "app/core/configured_scanner.h"
#include "app/scan/twain/twain_scan_session.h"
#include "tests/manager/child_process.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;

// Pages and busy marks as the job sees them; a hook runs on the first page.
class PageJob : public FakeJob {
 public:
  PageJob(Journal& journal, const ScannerConfig& config) : FakeJob(journal), config_(config) {}
  int HandlePage(Dib page, int side) override {
    busyDuringPages.push_back(config_.busy);
    if (busyDuringPages.size() == 1 && onFirstPage) onFirstPage();
    return FakeJob::HandlePage(std::move(page), side);
  }
  std::vector<bool> busyDuringPages;
  std::function<void()> onFirstPage;

 private:
  const ScannerConfig& config_;
};

TEST(VirtualScan, APressFeedsEveryPageToTheJobAndRefusesAnotherMeanwhile) {
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "add-virtual", "usb:04c5:11f3", "Tern",
                               "--generate", "3"}),
            0);
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("usb:04c5:11f3"), 1);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  ConfiguredScanner scanner(config);
  EXPECT_EQ(scanner.buttonCount(), 6);

  Journal journal;
  FakeProfiles profiles(journal);
  CScanSetting profile;
  profile.section = "0";
  profile.resolution = 100;
  profiles.configure(5, "", "Storage").scanSetting = &profile;
  profiles.configure(2, "", "Other").scanSetting = &profile;
  PageJob job(journal, config);
  RecordingUserInterface ui;
  TwainScanSession session(config, ui, binDir() + "/libostreldsm.so");
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  FakeAbout about(journal);
  FakePrompt prompt(journal);
  FakeFax fax(journal);
  FakePanel panel(journal);
  InlineJobRunner jobs;
  HeldMessages messages(ui);
  ButtonDispatcher dispatcher(
      {scanner, profiles, job, session, jobs, messages, configuration, cloud, about, prompt, fax, panel});
  job.onFirstPage = [&] { dispatcher.onButtonEvent(2, 1); };

  dispatcher.onButtonEvent(5, 1);
  EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
  EXPECT_EQ(job.busyDuringPages, std::vector<bool>(3, true));
  EXPECT_FALSE(config.busy);
  EXPECT_THAT(journal, Contains("simplex"));
  EXPECT_EQ(std::count_if(journal.begin(), journal.end(),
                          [](const std::string& e) { return e.starts_with("HandlePage"); }),
            3);
  EXPECT_EQ(journal.back(), "FinishOutput");
  EXPECT_THAT(logMessages(),
              Contains("Job is canceled due to the scanner is doing with another job."));
  EXPECT_THAT(journal, ::testing::Not(Contains("StartOutput 2")));
}

}  // namespace
}  // namespace ostrel
