// The poller's thread against a sensor source that counts what is asked of
// it: presses come from changes, a pause lets go of the scanner before it
// returns and nothing is read until the resume.
#include <gmock/gmock.h>

#include <atomic>
#include <mutex>

#include "app/core/button_poller.h"
#include "tests/manager/child_process.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class CountingSource : public SensorSource {
 public:
  std::optional<std::vector<SensorState>> read() override {
    const std::lock_guard lock(mutex);
    ++reads;
    held = true;
    if (unreachable) {
      held = false;
      return std::nullopt;
    }
    return sensors;
  }
  void release() override {
    const std::lock_guard lock(mutex);
    held = false;
    ++releases;
  }
  void set(int scan) {
    const std::lock_guard lock(mutex);
    sensors = {{"scan", false, scan}};
  }
  int readCount() {
    const std::lock_guard lock(mutex);
    return reads;
  }

  std::mutex mutex;
  std::vector<SensorState> sensors{{"scan", false, 0}};
  bool unreachable = false;
  bool held = false;
  int reads = 0;
  int releases = 0;
};

class Presses {
 public:
  ButtonPoller::Press recorder() {
    return [this](int button) {
      const std::lock_guard lock(mutex_);
      buttons_.push_back(button);
    };
  }
  std::vector<int> buttons() {
    const std::lock_guard lock(mutex_);
    return buttons_;
  }

 private:
  std::mutex mutex_;
  std::vector<int> buttons_;
};

TEST(ButtonPoller, APauseLetsGoOfTheScannerAndNothingIsReadUntilTheResume) {
  CountingSource source;
  Presses presses;
  {
    ButtonPoller poller(source, ButtonMap::defaults(), presses.recorder(), 10ms);
    ASSERT_TRUE(testing::eventually([&] { return source.readCount() >= 3; }));
    source.set(1);
    ASSERT_TRUE(testing::eventually([&] { return presses.buttons().size() == 1; }));

    poller.pause();
    {
      const std::lock_guard lock(source.mutex);
      EXPECT_FALSE(source.held);
    }
    const int readsPaused = source.readCount();
    source.set(0);
    std::this_thread::sleep_for(100ms);
    source.set(1);  // pressed and held while the scan runs
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(source.readCount(), readsPaused);

    poller.resume();
    ASSERT_TRUE(testing::eventually([&] { return source.readCount() > readsPaused + 3; }));
    EXPECT_THAT(presses.buttons(), ElementsAre(1));  // the held button is no new press
    source.set(0);
    std::this_thread::sleep_for(50ms);
    source.set(1);
    ASSERT_TRUE(testing::eventually([&] { return presses.buttons().size() == 2; }));
  }
  // Ended: the scanner is let go.
  const std::lock_guard lock(source.mutex);
  EXPECT_FALSE(source.held);
}

TEST(ButtonPoller, AScannerThatCannotBeReachedIsTriedLessOftenAndNoSensorsEndThePoll) {
  CountingSource source;
  source.unreachable = true;
  Presses presses;
  {
    ButtonPoller poller(source, ButtonMap::defaults(), presses.recorder(), 10ms);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(source.readCount(), 1);  // the next try is seconds away
  }
  CountingSource empty;
  empty.sensors.clear();
  ButtonPoller poller(empty, ButtonMap::defaults(), presses.recorder(), 10ms);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(empty.readCount(), 1);
  const std::lock_guard lock(empty.mutex);
  EXPECT_FALSE(empty.held);
  EXPECT_TRUE(presses.buttons().empty());
}

}  // namespace
}  // namespace ostrel
