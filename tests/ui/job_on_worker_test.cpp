// The panel with the program's real job, session and worker thread on a
// virtual scanner: the window thread keeps answering throughout a long job.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <iostream>
#include <set>

#include "app/core/configured_scanner.h"
#include "app/scan/job/output_job.h"
#include "app/scan/twain/twain_scan_session.h"
#include "app/ui/notification_icon.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/window_thread.h"
#include "tests/job/job_fixture.h"
#include "tests/manager/child_process.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/temp_home.h"
#include "tests/writers/decoding.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

TEST(JobOnWorker, TheWindowThreadAnswersThroughoutAHundredPageJob) {
  constexpr int kPages = 100;
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "add-virtual", "usb:04c5:1500", "Tern", "--generate",
                               std::to_string(kPages)}),
            0);
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("usb:04c5:1500"), 1);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  ConfiguredScanner scanner(config);

  // The program's parts, as main() puts them together.
  WorkerJobRunner jobs(postToWindowThread);
  QtUserInterface dialogs(jobs.stopToken());
  HeldMessages messages(dialogs);
  testing::RecordingDelivery delivery;
  OutputJob job({messages, delivery, tempRoot() + "/program"});
  TwainScanSession session(config, messages, binDir() + "/libostreldsm.so");
  Journal journal;
  FakeProfiles profiles(journal);
  CScanSetting profile;  // black and white, as the Storage button scans
  profile.resolution = 150;
  profile.scanMode = 0;
  CButtonSetting& button = profiles.configure(5, "", "Storage");
  button.scanSetting = &profile;
  button.fileFormat = format::kMultiPdf;
  button.imageFolder = tempRoot() + "/Scans";
  profiles.configure(2, "", "Other").scanSetting = &profile;
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  FakeFax fax(journal);
  COBXDlg panel({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
  NotificationIcon& icon = panel.notificationIcon();

  // The window thread's pulse: a timer every 20 ms, and what the icon showed.
  std::vector<Clock::time_point> ticks;
  std::set<QString> tips;
  QTimer pulse;
  QObject::connect(&pulse, &QTimer::timeout, [&] {
    ticks.push_back(Clock::now());
    tips.insert(icon.toolTip());
  });
  pulse.start(20);

  const Clock::time_point start = Clock::now();
  panel.dispatcher().onButtonEvent(5, 1);
  const auto pressReturned = Clock::now() - start;
  // A second press meanwhile is refused at once, without waiting for the job.
  ASSERT_TRUE(QTest::qWaitFor([&] { return tips.size() > 3; }, 60000));
  const Clock::time_point second = Clock::now();
  panel.dispatcher().onButtonEvent(2, 1);
  const auto refusal = Clock::now() - second;

  ASSERT_TRUE(QTest::qWaitFor([&] { return icon.balloonText().startsWith(QStringLiteral("Saved:")); }, 600000));
  const auto jobTook = Clock::now() - start;
  pulse.stop();

  Clock::duration longestGap{};
  for (std::size_t i = 1; i < ticks.size(); ++i) longestGap = std::max(longestGap, ticks[i] - ticks[i - 1]);
  std::cout << "job " << duration_cast<milliseconds>(jobTook).count() << " ms, press returned after "
            << duration_cast<milliseconds>(pressReturned).count() << " ms, refusal "
            << duration_cast<milliseconds>(refusal).count() << " ms, " << ticks.size()
            << " ticks of 20 ms, longest gap " << duration_cast<milliseconds>(longestGap).count() << " ms, "
            << tips.size() << " different tips\n";

  const std::string info = runCommand("pdfinfo " + quoted(tempRoot() + "/Scans/Scan0000.pdf")).output;
  EXPECT_THAT(info, ::testing::ContainsRegex("Pages: +" + std::to_string(kPages) + "\n"));
  EXPECT_THAT(logMessages(), ::testing::Contains("Job is canceled due to the scanner is doing with another job."));
  EXPECT_EQ(icon.toolTip(), QStringLiteral("Tern"));
  // Loose bounds, against a window thread held for the whole job: the job
  // takes seconds, the window thread never stops answering for more than one.
  EXPECT_GT(jobTook, std::chrono::seconds(1));
  EXPECT_LT(longestGap, std::chrono::seconds(1));
  EXPECT_LT(pressReturned, std::chrono::seconds(1));
  EXPECT_LT(refusal, std::chrono::seconds(1));
  EXPECT_GT(tips.size(), 10u);  // the pages showed as they came
}

}  // namespace
}  // namespace ostrel
