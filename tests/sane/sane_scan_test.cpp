// Button scans of a scanner reached through SANE, end to end through our
// source manager and SANE's own test backend: the pages must be the very
// pictures scanimage gets from the same scan.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/core/button_dispatcher.h"
#include "app/core/configured_scanner.h"
#include "app/scan/twain/twain_scan_session.h"
#include "app/scan/twain/button_scan.h"
#include "app/scan/twain/first_event.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/sane/sane_test_backend.h"
#include "tests/scan/virtual_scanner_fixture.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_home.h"
#include "scanners/ostrel-device/device_registration.h"

namespace ostrel {
namespace {

using namespace twain;
using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::HasSubstr;

class KeepingReceiver : public PageReceiver {
 public:
  void DuplexReported(bool value) override { duplex = value; }
  int PageReceived(Dib page, int side) override {
    pages.push_back(std::move(page));
    sides.push_back(side);
    return stopAfter == 0 || static_cast<int>(pages.size()) < stopAfter;
  }
  std::optional<bool> duplex;
  std::vector<Dib> pages;
  std::vector<int> sides;
  int stopAfter = 0;
};

std::string sessionLog() { return testing::readFile(devicetool::devicesFolder() + "/office/session.log"); }

// The options the source set, as its record says.
std::string saneSettings() {
  const auto lines = testing::sessionRecord("office", "# SANE source=");
  return lines.empty() ? std::string() : lines.back();
}

std::size_t count(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

class SaneScanTest : public ::testing::Test {
 protected:
  SaneScanTest() {
    scan.resolution = 100;
    scan.automatic = 0;
    scan.paperSize = 0;  // custom: 3 x 4 inches from the corner
    scan.width = 900;
    scan.height = 1200;
    button.section = "1";
    button.scanSetting = &scan;
  }

  ScannerConfig registerOffice(const std::vector<std::string>& backend = {}) {
    testing::useSaneTestBackend(backend);
    sane::SaneDeviceSettings device;
    device.saneName = "test:0";
    device.model = "Office";
    const auto outcome = devicetool::addSaneDevice("office", device, testing::binDir() + "/libsanedriver.so");
    EXPECT_TRUE(outcome.ok) << outcome.message;
    ScannerConfig config;
    config.resourceFile = testing::tempRoot() + "/ResourceSetting.ini";
    EXPECT_EQ(config.FindDriver("office"), 1);
    EXPECT_EQ(config.QueryScannerAbilities(), 1);
    return config;
  }

  void run(ScannerConfig& config) { RunButtonScan(config, receiver, button, ui, testing::sourceManagerLibrary()); }

  // Every page received is scanimage's picture of the same scan.
  void expectPagesAsScanimageSees() {
    const std::string settings = saneSettings();
    ASSERT_FALSE(settings.empty()) << sessionLog();
    const auto reference = testing::scanimage(testing::scanimageArguments(settings));
    ASSERT_TRUE(reference) << settings;
    for (std::size_t i = 0; i < receiver.pages.size(); ++i) {
      EXPECT_EQ(testing::firstDifference(receiver.pages[i], *reference), "") << "page " << i + 1 << ", " << settings;
    }
  }

  CScanSetting scan;
  CButtonSetting button;
  KeepingReceiver receiver;
  testing::RecordingUserInterface ui;
};

TEST_F(SaneScanTest, TheAbilityRecordComesFromTheSaneDevice) {
  const ScannerConfig config = registerOffice();
  EXPECT_TRUE(config.hasFeeder);
  EXPECT_TRUE(config.hasFlatbed);
  EXPECT_FALSE(config.hasDuplex);
  EXPECT_FALSE(config.hasUltrasonic);  // the test backend has no double-feed option
  EXPECT_EQ(config.maxWidth, 2362);    // 200 mm in 1/300 inch
  EXPECT_EQ(config.maxLength, 2362);
  EXPECT_EQ(config.modelName, "Office");
}

TEST_F(SaneScanTest, AFeederBatchOfTenPagesInEachPixelTypeIsWhatScanimageScans) {
  ScannerConfig config = registerOffice();
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE("scan mode " + std::to_string(mode));
    scan.scanMode = mode;
    receiver.pages.clear();
    run(config);
    ASSERT_EQ(receiver.pages.size(), 10u) << sessionLog();
    EXPECT_EQ(receiver.pages[0].bitsPerPixel(), mode == 0 ? 1 : mode == 1 ? 8 : 24);
    EXPECT_EQ(receiver.pages[0].xDotsPerMetre(), 3937);  // 100 dpi
    expectPagesAsScanimageSees();
    EXPECT_THAT(saneSettings(), HasSubstr("source=Automatic Document Feeder"));
    const auto ends = testing::sessionRecord("office", "MSG_ENDXFER");
    EXPECT_EQ(count(ends, "MSG_ENDXFER -1 pending"), 9u);
    EXPECT_EQ(count(ends, "MSG_ENDXFER 0 pending"), 1u);
  }
  EXPECT_EQ(receiver.duplex, false);
  EXPECT_FALSE(config.busy);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SaneScanTest, PaddedLinesThreePassColourAndAHandScannerMakeTheSamePictures) {
  struct Case {
    const char* name;
    std::vector<std::string> backend;
    int mode;
  };
  const Case cases[] = {
      {"padded lines", {"ppl-loss 7"}, 1},
      {"three-pass colour", {"three-pass true", "three-pass-order GBR"}, 2},
      {"hand scanner", {"hand-scanner true"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScannerConfig config = registerOffice(c.backend);
    scan.scanMode = c.mode;
    receiver.pages.clear();
    run(config);
    ASSERT_FALSE(receiver.pages.empty()) << sessionLog();
    expectPagesAsScanimageSees();
  }
}

TEST_F(SaneScanTest, AStoppedBatchLeavesTheFeederAndTheNextSessionScansAgain) {
  ScannerConfig config = registerOffice();
  scan.scanMode = 1;
  receiver.stopAfter = 3;
  run(config);
  EXPECT_EQ(receiver.pages.size(), 3u);
  const auto lines = testing::sessionRecord("office");
  EXPECT_EQ(count(lines, "MSG_ENDXFER -1 pending"), 2u);  // none after the third page
  EXPECT_THAT(lines, Contains("MSG_DISABLEDS (in the middle of a transfer)"));
  EXPECT_EQ(lines.back(), "MSG_CLOSEDS");
  EXPECT_FALSE(config.busy);

  receiver.stopAfter = 0;
  receiver.pages.clear();
  run(config);
  EXPECT_EQ(receiver.pages.size(), 10u) << sessionLog();
}

TEST_F(SaneScanTest, AJammedFeederEndsTheSessionWithItsCondition) {
  ScannerConfig config = registerOffice({"read-status-code \"SANE_STATUS_JAMMED\""});
  run(config);
  EXPECT_TRUE(receiver.pages.empty());
  EXPECT_THAT(sessionLog(), HasSubstr("# the batch ends: the scanner reports: the document feeder is jammed"));
  EXPECT_THAT(testing::logMessages(), Contains("The scanner had no page to scan (condition 20)."));
  EXPECT_FALSE(config.busy);
}

// One data source driven by hand: memory transfers, collected row by row.
class MemorySource : public TwainDataSource {
 public:
  using TwainDataSource::TwainDataSource;
  int OnMemoryBegin(const TW_IMAGEINFO& info) override {
    width = info.ImageWidth;
    height = info.ImageLength;
    bits = info.BitsPerPixel;
    return 1;
  }
  int OnMemoryStrip(const TW_IMAGEMEMXFER& strip) override {
    const auto* bytes = static_cast<const std::uint8_t*>(strip.Memory.TheMem);
    rows.insert(rows.end(), bytes, bytes + strip.BytesWritten);
    return 1;
  }
  int OnMemoryEnd() override {
    ++images;
    return 1;
  }
  int width = 0, height = 0, bits = 0, images = 0;
  std::vector<std::uint8_t> rows;
};

TEST_F(SaneScanTest, TheFlatbedGivesOnePageByMemoryTransfer) {
  registerOffice();
  TwainManager manager(testing::sourceManagerLibrary());
  ASSERT_TRUE(manager.OpenSourceManager(desktopWindow()));
  const auto found = manager.FindSources("Office");
  ASSERT_EQ(found.size(), 1u);
  auto& source = static_cast<MemorySource&>(manager.AddSource(std::make_unique<MemorySource>(manager, found[0])));
  ASSERT_EQ(source.Open(), TWRC_SUCCESS);
  EXPECT_TRUE(source.SetCapability(CAP_FEEDERENABLED, 0, TWTY_BOOL));
  EXPECT_TRUE(source.SetCapability(ICAP_PIXELTYPE, TWPT_GRAY, TWTY_UINT16));
  EXPECT_TRUE(source.SetFixedCapability(ICAP_XRESOLUTION, 75));
  EXPECT_TRUE(source.SetCapability(ICAP_XFERMECH, TWSX_MEMORY, TWTY_UINT16));
  ASSERT_EQ(source.Enable(false, desktopWindow()), TWRC_SUCCESS);
  ASSERT_EQ(WaitForFirstEvent(source, {}, 30s), FirstEvent::TransferReady);
  EXPECT_EQ(source.TransferMemory(), TWRC_SUCCESS);
  source.Disable();
  source.Close();

  EXPECT_EQ(source.images, 1);
  EXPECT_EQ(source.bits, 8);
  const std::string settings = saneSettings();
  EXPECT_THAT(settings, HasSubstr("source=Flatbed"));
  EXPECT_THAT(settings, HasSubstr("resolution=75"));
  const auto reference = testing::scanimage(testing::scanimageArguments(settings));
  ASSERT_TRUE(reference);
  EXPECT_EQ(source.width, reference->width);
  EXPECT_EQ(source.height, reference->height);
  EXPECT_EQ(source.rows, reference->data);
}

// The page job of a manager whose scan job stops after the first page. Its
// calls come from the job's thread; the journal is read under the same lock.
class FirstPageJob : public testing::FakeJob {
 public:
  FirstPageJob(testing::Journal& journal, std::mutex& lock) : FakeJob(journal), lock_(lock) {}
  int StartOutput(CButtonSetting& button) override {
    const std::lock_guard hold(lock_);
    return FakeJob::StartOutput(button);
  }
  void setDuplex(bool duplex) override {
    const std::lock_guard hold(lock_);
    FakeJob::setDuplex(duplex);
  }
  int HandlePage(Dib page, int side) override {
    const std::lock_guard hold(lock_);
    FakeJob::HandlePage(std::move(page), side);
    return 0;
  }
  int FinishOutput() override {
    const std::lock_guard hold(lock_);
    return FakeJob::FinishOutput();
  }

 private:
  std::mutex& lock_;
};

TEST_F(SaneScanTest, APressWhileTheFirstPageIsReadIsRefused) {
  // Pages of 300 dpi that the backend hands over slowly: the first one takes
  // the better part of a second.
  ScannerConfig config = registerOffice({"read-delay true", "read-delay-duration 5000"});
  ConfiguredScanner scanner(config);
  testing::Journal journal;
  std::mutex journalLock;
  testing::FakeProfiles profiles(journal);
  CScanSetting profile = scan;
  profile.section = "0";
  profile.scanMode = 1;
  profile.resolution = 300;
  profiles.configure(5, "", "Storage").scanSetting = &profile;
  profiles.configure(2, "", "Other").scanSetting = &profile;
  FirstPageJob job(journal, journalLock);
  TwainScanSession session(config, ui, testing::sourceManagerLibrary());
  testing::FakeConfiguration configuration(journal);
  testing::FakeCloudAccount cloud(journal);
  testing::FakeAbout about(journal);
  testing::FakePrompt prompt(journal);
  testing::FakeFax fax(journal);
  testing::FakePanel panel(journal);
  testing::ReportQueue reports;
  WorkerJobRunner jobs(reports.poster());
  HeldMessages messages(ui);
  ButtonDispatcher dispatcher(
      {scanner, profiles, job, session, jobs, messages, configuration, cloud, about, prompt, fax, panel});
  const auto journalHas = [&](const std::string& entry) {
    const std::lock_guard hold(journalLock);
    return std::find(journal.begin(), journal.end(), entry) != journal.end();
  };

  dispatcher.onButtonEvent(5, 1);
  ASSERT_TRUE(reports.runUntil([&] { return journalHas("StartOutput 5"); }));
  {
    const std::lock_guard hold(journalLock);
    journal.push_back("second press");
  }
  dispatcher.onButtonEvent(2, 1);
  ASSERT_TRUE(reports.runUntil([&] { return journalHas("FinishOutput"); }));
  jobs.stopAndWait();

  const auto press = std::find(journal.begin(), journal.end(), "second press");
  const auto page = std::find_if(journal.begin(), journal.end(),
                                 [](const std::string& e) { return e.starts_with("HandlePage"); });
  ASSERT_NE(press, journal.end());
  ASSERT_NE(page, journal.end());
  EXPECT_LT(press, page);
  EXPECT_THAT(testing::logMessages(), Contains("Job is canceled due to the scanner is doing with another job."));
  EXPECT_THAT(journal, ::testing::Not(Contains("StartOutput 2")));
  EXPECT_FALSE(config.busy);
}

}  // namespace
}  // namespace ostrel
