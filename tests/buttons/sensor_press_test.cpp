// Button presses read from the scanner's sensors by a real manager, on our SANE
// test backend: the files of the mapped button are written, a press during a
// scan is refused as a forwarded one is, and the poll stops while the scan
// holds the scanner.
#include <gmock/gmock.h>

#include <algorithm>
#include <optional>

#include "tests/buttons/sensor_scanner.h"
#include "tests/manager/obx_processes.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::ElementsAre;

constexpr const char* kPollStarted = "The scanner's buttons are read every 150 ms from its sensors: scan (button 1), "
                                     "email (button 3), copy (button 3), pdf (button 4), file (button 5), "
                                     "function (its value).";

long count(const std::string& message) {
  const auto log = logMessages();
  return std::count(log.begin(), log.end(), message);
}

class SensorPresses : public ::testing::Test {
 protected:
  void start(const std::vector<std::string>& backend) {
    scanner_.emplace(backend);
    ASSERT_TRUE(registerOffice());
    // email stands for button 3 here, beside copy's default.
    ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "sensors", kSensorDevice, "--map", "email=3"}), 0);
    manager_.emplace(startManager(kSensorDevice, kSensorModel));
    ASSERT_TRUE(eventually([] { return logHas(kPollStarted); })) << logText();
  }
  void TearDown() override {
    if (!manager_) return;
    EXPECT_EQ(sendEvent(kSensorDevice, kUnknownEvent), 0);
    EXPECT_EQ(manager_->wait(15s), 0);
  }

  std::optional<SensorScanner> scanner_;
  std::optional<ChildProcess> manager_;
};

TEST_F(SensorPresses, ASensorThatTurnsOnWritesTheFilesOfItsButtonOncePerPress) {
  storageButton(3, "three");
  storageButton(2, "two");
  start({"pages 2"});

  scanner_->set("email", 1);
  ASSERT_TRUE(eventually([] { return jobsFinished(3) == 1; }, 60s)) << logText();
  EXPECT_THAT(filesIn(outFolder("three")), ElementsAre("Scan0000.jpg", "Scan0001.jpg"));
  // Held down, the button is one press; released and pressed again, another.
  std::this_thread::sleep_for(600ms);
  EXPECT_EQ(count("Button 3 is clicked."), 1);
  // Released until the poll has seen it up.
  const auto readsUp = [&] {
    const auto log = scanner_->log();
    return std::count_if(log.begin(), log.end(), [](const BackendEvent& e) { return e.detail == "email=0"; });
  };
  const auto upBefore = readsUp();
  scanner_->set("email", 0);
  ASSERT_TRUE(eventually([&] { return readsUp() > upBefore; }));
  scanner_->set("email", 1);
  ASSERT_TRUE(eventually([] { return jobsFinished(3) == 2; }, 60s)) << logText();

  // The function knob's new value is the button.
  scanner_->set("function", 2);
  ASSERT_TRUE(eventually([] { return jobsFinished(2) == 1; }, 60s)) << logText();
  EXPECT_THAT(filesIn(outFolder("two")), ElementsAre("Scan0004.jpg", "Scan0005.jpg"));
  // The sensor's press takes the dispatch of a forwarded one: its log lines.
  EXPECT_EQ(count("The button sensor email is pressed: button 3."), 2);
  EXPECT_EQ(count("The button sensor function is pressed: button 2."), 1);
  EXPECT_EQ(count("Button 2 is clicked."), 1);
}

TEST_F(SensorPresses, APressDuringAScanIsRefusedAndNoSensorIsReadWhileTheScanHoldsTheScanner) {
  storageButton(1, "one");
  storageButton(2, "two");
  // Three sheets of which each takes most of a second to start.
  start({"pages 3", "page-delay-ms 700"});

  scanner_->set("scan", 1);
  ASSERT_TRUE(eventually([&] {
    const auto log = scanner_->log();
    return std::any_of(log.begin(), log.end(), [](const BackendEvent& e) { return e.detail == "page 1"; });
  }));
  // Forwarded as the still-image service would, and read from a sensor.
  ASSERT_EQ(sendEvent(kSensorDevice, buttonEvent(2)), 0);
  scanner_->set("function", 2);
  ASSERT_TRUE(eventually([] { return jobsFinished(1) == 1; }, 60s)) << logText();
  std::this_thread::sleep_for(1s);  // the poll takes the scanner back

  EXPECT_EQ(count("Job is canceled due to the scanner is doing with another job."), 1);
  EXPECT_EQ(jobsFinished(2), 0);
  EXPECT_EQ(filesIn(outFolder("one")).size(), 3u);
  // The function knob turned during the scan is where it was once the poll goes
  // on: no press.
  EXPECT_EQ(count("The button sensor function is pressed: button 2."), 0);

  // The scan's own open of the device is the one before its first page; from it
  // to its close nothing reads a sensor, and the poll had let go before.
  const std::vector<BackendEvent> log = scanner_->log();
  const auto firstPage =
      std::find_if(log.begin(), log.end(), [](const BackendEvent& e) { return e.detail == "page 1"; });
  ASSERT_NE(firstPage, log.end());
  const auto scanOpen = std::find_if(std::make_reverse_iterator(firstPage), log.rend(),
                                     [](const BackendEvent& e) { return e.event == "open"; });
  ASSERT_NE(scanOpen, log.rend());
  const auto scanClose = std::find_if(firstPage, log.end(), [](const BackendEvent& e) { return e.event == "close"; });
  ASSERT_NE(scanClose, log.end());
  const auto during = std::count_if(scanOpen.base(), scanClose, [](const BackendEvent& e) {
    return e.event == "sensor" || e.event == "open";
  });
  EXPECT_EQ(during, 0);
  const std::vector<std::string> pages = [&] {
    std::vector<std::string> details;
    for (auto e = scanOpen.base(); e != scanClose; ++e) details.push_back(e->detail);
    return details;
  }();
  EXPECT_THAT(pages, ElementsAre("page 1", "page 2", "page 3", "feeder empty"));
  EXPECT_GE(scanClose->ms - firstPage->ms, 1400);  // the scan held the scanner a while
  // Before: the poller's reads and its close; after: it opens again and reads.
  EXPECT_EQ(std::prev(scanOpen.base(), 2)->event, "close");
  const auto reopen = std::next(scanClose);
  ASSERT_NE(reopen, log.end());
  EXPECT_EQ(reopen->event, "open");
  EXPECT_TRUE(std::any_of(reopen, log.end(), [](const BackendEvent& e) { return e.event == "sensor"; }));
  // Nobody ever found the scanner taken.
  EXPECT_THAT(log, ::testing::Not(Contains(::testing::Field(&BackendEvent::event, "busy"))));
}

TEST_F(SensorPresses, AScannerWithoutSensorsSaysSoOnceAndItsManagerStillTakesForwardedPresses) {
  SensorScanner scanner({"sensors none", "function no"});
  storageButton(1, "one");
  ASSERT_TRUE(registerOffice());
  manager_.emplace(startManager(kSensorDevice, kSensorModel));
  const std::string noSensors = "The scanner's backend shows no button sensors; its buttons are not read.";
  ASSERT_TRUE(eventually([&] { return logHas(noSensors); }));
  ASSERT_EQ(sendEvent(kSensorDevice, buttonEvent(1)), 0);
  ASSERT_TRUE(eventually([] { return jobsFinished(1) == 1; }, 60s)) << logText();
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(count(noSensors), 1);
  // The poll ended for good: after the scan nothing opens the scanner again.
  const auto log = scanner.log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().event, "close");
  const auto lastOpen = std::find_if(log.rbegin(), log.rend(), [](const BackendEvent& e) { return e.event == "open"; });
  EXPECT_TRUE(std::any_of(log.rbegin(), lastOpen, [](const BackendEvent& e) { return e.detail == "page 1"; }));
}

}  // namespace
}  // namespace ostrel
