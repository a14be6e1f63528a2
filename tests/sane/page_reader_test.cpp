// The helper thread that reads pages, driven by a scripted scanner: sheets
// are fed only when asked for, every way a batch ends, and the scanner never
// cancelled while a read is under way.
#include "scanners/sane/page_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace ostrel::sane {
namespace {

using namespace std::chrono_literals;

// Sheets of 4 x 3 grey pixels whose first byte tells them apart, then an
// empty feeder or a failure.
class ScriptedScanner : public FrameSupplier {
 public:
  explicit ScriptedScanner(int sheets, DeviceStatus afterLast = DeviceStatus::FeederEmpty)
      : sheets_(sheets), afterLast_(afterLast) {}

  DeviceStatus start() override {
    ++starts;
    if (fed_ == sheets_) return afterLast_;
    ++fed_;
    sent_ = 0;
    return DeviceStatus::Good;
  }
  DeviceStatus parameters(FrameParameters& parameters) override {
    parameters = {FrameFormat::Grey, true, 4, 4, 3, 8};
    if (oddSheet == fed_) parameters.depth = 12;
    return DeviceStatus::Good;
  }
  DeviceStatus read(std::span<std::uint8_t> into, std::size_t& length) override {
    inRead = true;
    if (holdRead && fed_ == holdSheet) {
      std::unique_lock lock(mutex_);
      released_.wait(lock, [&] { return !holdRead; });
    }
    inRead = false;
    if (jamOnSheet == fed_) return DeviceStatus::Jammed;
    if (sent_ == 12) return DeviceStatus::EndOfFrame;
    length = std::min<std::size_t>(into.size(), 12 - sent_);
    for (std::size_t i = 0; i < length; ++i) into[i] = static_cast<std::uint8_t>(fed_ * 10);
    sent_ += length;
    return DeviceStatus::Good;
  }
  void cancel() override {
    if (inRead) cancelledDuringRead = true;
    ++cancels;
  }
  void release() {
    {
      std::lock_guard lock(mutex_);
      holdRead = false;
    }
    released_.notify_all();
  }

  std::atomic<int> starts{0};
  std::atomic<int> cancels{0};
  std::atomic<bool> inRead{false};
  std::atomic<bool> cancelledDuringRead{false};
  std::atomic<bool> holdRead{false};  // the read of holdSheet waits for release()
  int holdSheet = 1;
  int jamOnSheet = 0;
  int oddSheet = 0;

 private:
  int sheets_;
  DeviceStatus afterLast_;
  int fed_ = 0;
  std::size_t sent_ = 0;
  std::mutex mutex_;
  std::condition_variable released_;
};

ReaderSettings quick(bool singlePage = false) {
  ReaderSettings settings;
  settings.singlePage = singlePage;
  settings.chunkBytes = 5;  // lines arrive split
  return settings;
}

TEST(PageReader, FeedsASheetOnlyWhenAskedAndEndsWithTheFeeder) {
  auto scanner = std::make_shared<ScriptedScanner>(3);
  PageReader reader(scanner, quick());
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(scanner->starts, 0);  // nothing is fed before the first request
  for (int sheet = 1; sheet <= 3; ++sheet) {
    reader.requestPage();
    ASSERT_TRUE(reader.waitFed());
    auto page = reader.takePage();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->row(2)[3], sheet * 10);
    EXPECT_EQ(scanner->starts, sheet);  // no sheet read ahead
  }
  reader.requestPage();
  EXPECT_FALSE(reader.waitFed());
  EXPECT_FALSE(reader.takePage());
  ASSERT_TRUE(reader.end());
  EXPECT_EQ(reader.end()->reason, ReadEnd::Reason::FeederEmpty);
  EXPECT_EQ(reader.end()->pages, 3);
  EXPECT_TRUE(reader.stop(1s));
  EXPECT_EQ(scanner->cancels, 1);  // the batch ends with one cancel
}

TEST(PageReader, FailuresEndTheBatchWithTheirReason) {
  auto jammed = std::make_shared<ScriptedScanner>(5);
  jammed->jamOnSheet = 2;
  PageReader reader(jammed, quick());
  reader.requestPage();
  EXPECT_TRUE(reader.takePage());
  reader.requestPage();
  EXPECT_FALSE(reader.takePage());
  ASSERT_TRUE(reader.end());
  EXPECT_EQ(reader.end()->reason, ReadEnd::Reason::DeviceError);
  EXPECT_EQ(reader.end()->status, DeviceStatus::Jammed);
  EXPECT_EQ(reader.end()->pages, 1);

  auto odd = std::make_shared<ScriptedScanner>(5);
  odd->oddSheet = 1;
  PageReader oddReader(odd, quick());
  oddReader.requestPage();
  EXPECT_FALSE(oddReader.takePage());
  EXPECT_EQ(oddReader.end()->reason, ReadEnd::Reason::BadImage);
  EXPECT_NE(oddReader.end()->message.find("12 bits"), std::string::npos);

  auto offline = std::make_shared<ScriptedScanner>(0, DeviceStatus::IoError);
  PageReader offlineReader(offline, quick());
  offlineReader.requestPage();
  EXPECT_FALSE(offlineReader.waitFed());
  EXPECT_EQ(offlineReader.end()->status, DeviceStatus::IoError);
  EXPECT_TRUE(offlineReader.stop(1s));
  EXPECT_EQ(offline->cancels, 1);
}

TEST(PageReader, AFlatbedGivesOnePage) {
  auto scanner = std::make_shared<ScriptedScanner>(5);
  PageReader reader(scanner, quick(true));
  reader.requestPage();
  EXPECT_TRUE(reader.takePage());
  reader.requestPage();
  EXPECT_FALSE(reader.waitFed());
  EXPECT_EQ(reader.end()->reason, ReadEnd::Reason::FeederEmpty);
  EXPECT_EQ(scanner->starts, 1);
}

TEST(PageReader, StopFinishesThePageInHandAndNeverCancelsDuringARead) {
  auto scanner = std::make_shared<ScriptedScanner>(3);
  scanner->holdRead = true;
  auto reader = std::make_unique<PageReader>(scanner, quick());
  reader->requestPage();
  while (!scanner->inRead) std::this_thread::sleep_for(1ms);
  // The scanner is stuck in a read: the stop gives up waiting and leaves the
  // thread to finish on its own.
  EXPECT_FALSE(reader->stop(50ms));
  EXPECT_EQ(reader->end()->reason, ReadEnd::Reason::Stopped);
  EXPECT_FALSE(reader->finished());
  reader.reset();  // the reader goes; its thread keeps the scanner
  EXPECT_EQ(scanner->cancels, 0);
  scanner->release();
  for (int i = 0; i < 500 && scanner->cancels == 0; ++i) std::this_thread::sleep_for(2ms);
  EXPECT_EQ(scanner->cancels, 1);
  EXPECT_FALSE(scanner->cancelledDuringRead);
  EXPECT_EQ(scanner->starts, 1);  // no further sheet after the stop
}

TEST(PageReader, AQuietScannerEndsTheWaitAfterTheStallLimit) {
  auto scanner = std::make_shared<ScriptedScanner>(3);
  scanner->holdRead = true;
  ReaderSettings settings = quick();
  settings.stallLimit = 100ms;
  PageReader reader(scanner, settings);
  reader.requestPage();
  const auto before = std::chrono::steady_clock::now();
  EXPECT_FALSE(reader.takePage());
  EXPECT_GE(std::chrono::steady_clock::now() - before, 100ms);
  EXPECT_EQ(reader.end()->reason, ReadEnd::Reason::Stalled);
  scanner->release();
  EXPECT_TRUE(reader.stop(2s));
  EXPECT_FALSE(scanner->cancelledDuringRead);

  // Polling sees the stall too, without waiting.
  auto quiet = std::make_shared<ScriptedScanner>(3);
  quiet->holdRead = true;
  PageReader polled(quiet, settings);
  polled.requestPage();
  EXPECT_NE(polled.phase(), PageReader::Phase::Ended);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(polled.phase(), PageReader::Phase::Ended);
  EXPECT_EQ(polled.end()->reason, ReadEnd::Reason::Stalled);
  quiet->release();
}

}  // namespace
}  // namespace ostrel::sane
