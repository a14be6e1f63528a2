// The dispatch with its jobs on a worker thread, as the program runs it: the
// panel's thread stays free, and what arrives meanwhile is refused, answers the
// prompt, or waits for the job's end. The worker is held inside a pass by a
// latch, so each thread touches the recorders only while the other waits.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <latch>
#include <thread>

#include "app/core/button_dispatcher.h"
#include "app/core/termination_signals.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;

// The prompt as the job's thread asks it and the panel's thread answers it.
class ThreadPrompt : public MorePagesPrompt {
 public:
  bool ask() override {
    std::unique_lock lock(mutex_);
    open_ = true;
    ++asks_;
    changed_.wait(lock, [this] { return answer_.has_value(); });
    open_ = false;
    return *std::exchange(answer_, std::nullopt);
  }
  bool isOpen() const override {
    const std::lock_guard lock(mutex_);
    return open_;
  }
  int asks() const {
    const std::lock_guard lock(mutex_);
    return asks_;
  }
  void accept() override { answer(true); }
  void answer(bool more) {
    const std::lock_guard lock(mutex_);
    answer_ = more;
    changed_.notify_all();
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool open_ = false;
  int asks_ = 0;
  std::optional<bool> answer_;
};

class JobThread : public ::testing::Test {
 protected:
  JobThread()
      : scanner(journal),
        profiles(journal),
        job(journal),
        session(journal, scanner),
        jobs(reports.poster()),
        configuration(journal),
        cloud(journal),
        about(journal),
        fax(journal),
        panel(journal),
        messages(dialogs),
        dispatcher({scanner, profiles, job, session, jobs, messages, configuration, cloud, about,
                    prompt, fax, panel}) {
    profiles.configure(1, "PRINT");
    profiles.configure(2, "PRINT");
    // The worker stops inside its first pass until the test lets it go on.
    session.duringScan = [this] {
      if (std::exchange(held_, false)) {
        scanThread = std::this_thread::get_id();
        inScan.count_down();
        goOn.wait();
      }
    };
  }
  ~JobThread() override { jobs.stopAndWait(); }

  // The job's end, reported to this thread.
  bool jobEnded() {
    const int before = panel.progressEnds;
    return reports.runUntil([&] { return panel.progressEnds > before; });
  }

  Journal journal;
  FakeScanner scanner;
  FakeProfiles profiles;
  FakeJob job;
  FakeSession session;
  ReportQueue reports;
  WorkerJobRunner jobs;
  FakeConfiguration configuration;
  FakeCloudAccount cloud;
  FakeAbout about;
  ThreadPrompt prompt;
  FakeFax fax;
  FakePanel panel;
  RecordingUserInterface dialogs;
  HeldMessages messages;
  ButtonDispatcher dispatcher;
  std::latch inScan{1};
  std::latch goOn{1};
  std::thread::id scanThread;

 private:
  bool held_ = true;
};

TEST_F(JobThread, APressScansOffThePanelsThreadAndAnotherMeanwhileIsRefused) {
  dispatcher.onButtonEvent(1, 1);
  inScan.wait();
  EXPECT_NE(scanThread, std::this_thread::get_id());
  dispatcher.onButtonEvent(2, 1);
  EXPECT_THAT(logMessages(), ElementsAre("Button 1 is clicked.", "Button 2 is clicked.",
                                         "Job is canceled due to the scanner is doing with another job."));
  goOn.count_down();
  ASSERT_TRUE(jobEnded());
  EXPECT_THAT(journal, ::testing::Not(Contains("StartOutput 2")));

  // Once the job has ended, the next press scans.
  dispatcher.onButtonEvent(2, 1);
  ASSERT_TRUE(jobEnded());
  EXPECT_THAT(journal, Contains("StartOutput 2"));
}

TEST_F(JobThread, AnExitEndsThePassAndTheRunEndsOnlyWithTheJob) {
  fax.running = true;
  dispatcher.onButtonEvent(1, 1);
  inScan.wait();
  dispatcher.exit();
  EXPECT_EQ(panel.runsEnded, 0);
  EXPECT_EQ(journal.back(), "remove icon");
  goOn.count_down();
  ASSERT_TRUE(reports.runUntil([this] { return panel.runsEnded > 0; }));
  EXPECT_THAT(journal, ElementsAre("balloon Scan Images with Button 1", "StartOutput 1",
                                   "writeDriverSettings 1", "scan 1 side -1", "remove icon",
                                   "HandlePage 10 side 0", "pass stopped", "FinishOutput", "stop fax",
                                   "end run"));
  EXPECT_THAT(logMessages(),
              Contains("The scan job of button 1 is cut short as Ostrel ends, after 1 page(s); the pages "
                       "scanned are kept."));
}

TEST_F(JobThread, APressWhileThePromptWaitsAnswersItWithItsSide) {
  profiles.table[0].morePages = 1;
  scanner.side = 0;
  dispatcher.onButtonEvent(1, 1);
  goOn.count_down();
  ASSERT_TRUE(reports.runUntil([this] { return prompt.asks() == 1; }));
  dispatcher.onButtonEvent(2, 2);
  ASSERT_TRUE(reports.runUntil([this] { return prompt.asks() == 2; }));
  prompt.answer(false);
  ASSERT_TRUE(jobEnded());
  EXPECT_THAT(journal, ElementsAre("balloon Scan Images with Button 1", "StartOutput 1",
                                   "writeDriverSettings 1", "scan 1 side 1", "HandlePage 10 side 0",
                                   "writeDriverSettings 1", "scan 1 side 2", "HandlePage 10 side 0",
                                   "FinishOutput"));
  EXPECT_THAT(logMessages(), ElementsAre("Button 1 is clicked."));
}

TEST_F(JobThread, TheConfigurationAndThePresenceCheckWaitForTheJob) {
  dispatcher.onButtonEvent(1, 1);
  inScan.wait();
  dispatcher.openConfiguration(0);
  scanner.present = false;
  dispatcher.onDeviceListChanged();
  EXPECT_EQ(journal.back(), "scan 1 side -1");
  goOn.count_down();
  ASSERT_TRUE(reports.runUntil([this] { return panel.runsEnded > 0; }));
  EXPECT_THAT(journal, ElementsAre("balloon Scan Images with Button 1", "StartOutput 1",
                                   "writeDriverSettings 1", "scan 1 side -1", "HandlePage 10 side 0",
                                   "FinishOutput", "configure 0", "refresh", "isPresent",
                                   "remove icon", "end run"));
  EXPECT_THAT(logMessages(), Contains("The configuration opens once the scan job has ended."));
}

TEST(TerminationSignals, TheLastSignalThatCameIsTakenOnce) {
  TerminationSignals caught;
  ASSERT_GE(caught.fd(), 0);
  EXPECT_EQ(caught.take(), 0);
  ::raise(SIGHUP);
  ::raise(SIGTERM);
  EXPECT_EQ(caught.take(), SIGTERM);
  EXPECT_EQ(caught.take(), 0);
  EXPECT_EQ(signalName(SIGTERM), "SIGTERM");
  EXPECT_EQ(signalName(SIGINT), "SIGINT");
  EXPECT_EQ(signalName(SIGUSR1), "signal " + std::to_string(SIGUSR1));
}

TEST(WorkerJobRunner, ReportsRunWhereTheyArePostedInOrderAndAStopEndsTheJob) {
  ReportQueue reports;
  std::vector<int> order;
  std::atomic<bool> sawStop = false;
  {
    WorkerJobRunner jobs(reports.poster());
    jobs.start([&](std::stop_token stop) {
      for (int i = 1; i <= 3; ++i) jobs.report([&order, i] { order.push_back(i); });
      while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      sawStop = true;
    });
    ASSERT_TRUE(reports.runUntil([&] { return order.size() == 3; }));
  }  // stops the job and waits for it
  EXPECT_TRUE(sawStop);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace ostrel
