#include "app/scan/twain/button_scan.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sstream>

#include "tests/scan/virtual_scanner_fixture.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using testing::feederScanner;
using testing::letterSheet;
using testing::registerScanner;
using testing::sessionRecord;
using testing::writeSheet;
using Lines = std::vector<std::string>;

class ButtonScanTest : public ::testing::Test {
 protected:
  ButtonScanTest() {
    scan.resolution = 100;
    scan.automatic = 0;
    scan.paperSize = 4;  // US Letter
    button.section = "1";
    button.scanSetting = &scan;
  }

  // A stack of sheets told apart by their grey level: 10, 20, 30, ...
  std::string stack(int sheets) {
    const std::string folder = testing::tempRoot() + "/pages";
    for (int i = 1; i <= sheets; ++i) {
      const auto level = static_cast<std::uint8_t>(10 * i);
      writeSheet(folder + "/page" + std::to_string(i) + ".bmp", letterSheet(level, level, level));
    }
    return folder;
  }

  void run(ScannerConfig& config) { RunButtonScan(config, receiver, button, ui, testing::sourceManagerLibrary()); }

  Lines sets(const std::string& deviceId = "scanner") { return sessionRecord(deviceId, "MSG_SET"); }

  CScanSetting scan;
  CButtonSetting button;
  testing::RecordingReceiver receiver;
  testing::RecordingUserInterface ui;
};

TEST_F(ButtonScanTest, BlackAndWhiteLetterOnACentreFeedingScanner) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern", stack(2)));
  scan.scanMode = 0;
  run(config);
  EXPECT_EQ(sets(), (Lines{"MSG_SET ICAP_XFERMECH TWTY_UINT16 0",
                           "MSG_SET ICAP_AUTODISCARDBLANKPAGES TWTY_INT32 -2",
                           "MSG_SET CAP_DUPLEXENABLED TWTY_BOOL 0",
                           "MSG_SET 0x9248 TWTY_BOOL 0",
                           "MSG_SET ICAP_PIXELTYPE TWTY_UINT16 0",
                           "MSG_SET ICAP_XRESOLUTION TWTY_FIX32 100",
                           "MSG_SET ICAP_YRESOLUTION TWTY_FIX32 100",
                           "MSG_SET 0x9200 TWTY_BOOL 0",
                           "MSG_SET ICAP_AUTOMATICDESKEW TWTY_BOOL 0",
                           "MSG_SET DAT_IMAGELAYOUT 0.07 0 8.57 11",
                           "MSG_SET ICAP_AUTOMATICROTATE TWTY_BOOL 0",
                           "MSG_SET 0x9219 TWTY_UINT16 0",
                           "MSG_SET ICAP_FILTER TWTY_UINT16 3",
                           "MSG_SET ICAP_AUTOBRIGHT TWTY_BOOL 1"}));
  ASSERT_EQ(receiver.pages.size(), 2u);
  for (const auto& page : receiver.pages) {
    EXPECT_EQ(page.bits, 1);
    EXPECT_EQ(page.width, 850);  // the frame holds exactly the sheet
    EXPECT_EQ(page.height, 1100);
    EXPECT_EQ(page.side, 0);
  }
  EXPECT_EQ(receiver.duplex, false);
  EXPECT_FALSE(config.busy);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ButtonScanTest, GreyColourAndAutomaticColourCapabilities) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern", stack(1)));
  scan.brightness = 15;
  scan.contrast = -20;
  scan.gamma = 180;
  scan.dropout = 2;

  scan.scanMode = 1;
  run(config);
  Lines grey = sets();
  EXPECT_EQ(grey[4], "MSG_SET ICAP_PIXELTYPE TWTY_UINT16 1");
  EXPECT_EQ(grey.back(), "MSG_SET ICAP_FILTER TWTY_UINT16 0");  // no colour controls, no auto brightness
  EXPECT_EQ(grey.size(), 13u);

  scan.scanMode = 2;
  scan.dropout = 3;
  run(config);
  const Lines colour = sets();
  EXPECT_EQ(colour[4], "MSG_SET ICAP_PIXELTYPE TWTY_UINT16 2");
  EXPECT_EQ(Lines(colour.end() - 4, colour.end()), (Lines{"MSG_SET ICAP_BRIGHTNESS TWTY_FIX32 150",
                                                          "MSG_SET ICAP_CONTRAST TWTY_FIX32 -200",
                                                          "MSG_SET ICAP_GAMMA TWTY_FIX32 1.8",
                                                          "MSG_SET ICAP_FILTER TWTY_UINT16 1"}));

  scan.scanMode = 3;
  scan.dropout = 4;  // no filter for the enhancement dropouts
  run(config);
  const Lines automatic = sets();
  EXPECT_EQ(automatic[3], "MSG_SET 0x9248 TWTY_BOOL 1");
  for (const auto& line : automatic) EXPECT_EQ(line.find("ICAP_PIXELTYPE"), std::string::npos) << line;
  for (const auto& line : automatic) EXPECT_EQ(line.find("ICAP_FILTER"), std::string::npos) << line;
  EXPECT_EQ(automatic.back(), "MSG_SET ICAP_GAMMA TWTY_FIX32 1.8");

  ASSERT_EQ(receiver.pages.size(), 3u);
  EXPECT_EQ(receiver.pages[0].bits, 8);
  EXPECT_EQ(receiver.pages[1].bits, 24);
  EXPECT_EQ(receiver.pages[2].bits, 8);  // automatic colour: a grey sheet comes as grey
}

TEST_F(ButtonScanTest, FrameForEachKindOfPaperSize) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern"));
  const auto frameFor = [&](int paperSize) {
    scan.paperSize = paperSize;
    run(config);
    const Lines layout = sessionRecord("scanner", "MSG_SET DAT_IMAGELAYOUT");
    return layout.empty() ? std::string("none") : layout.front().substr(24);
  };
  EXPECT_EQ(frameFor(3), "0.07 0 8.57 14");        // US Legal
  EXPECT_EQ(frameFor(4), "0.07 0 8.57 11");        // US Letter: (2592 - 2550) / 2 = 21
  EXPECT_EQ(frameFor(5), "0.1867 0 8.4533 11.6933");  // ISO A4: left 56
  EXPECT_EQ(frameFor(8), "2.8633 0 5.7767 4.1333");   // ISO A7: left 859
  EXPECT_EQ(frameFor(17), "1.32 0 7.32 4");        // Photo 6" x 4": left 396
  EXPECT_EQ(frameFor(2), "0 0 8.64 14");           // Maximum Size
  scan.xOffset = 30;
  scan.yOffset = 60;
  scan.width = 600;
  scan.height = 900;
  EXPECT_EQ(frameFor(0), "0.1 0.2 2.1 3.2");       // Custom
  EXPECT_EQ(frameFor(19), "none");                 // outside the table

  EXPECT_EQ(frameFor(1), "none");                  // Automatic
  EXPECT_EQ(sessionRecord("scanner", "MSG_SET 0x9200").front(), "MSG_SET 0x9200 TWTY_BOOL 1");
  EXPECT_EQ(sessionRecord("scanner", "MSG_SET ICAP_AUTOMATICDESKEW").front(),
            "MSG_SET ICAP_AUTOMATICDESKEW TWTY_BOOL 1");
  scan.paperSize = 4;
  scan.automatic = 1;
  EXPECT_EQ(frameFor(4), "none");
}

TEST_F(ButtonScanTest, EveryPaperOfTheTableIsCentredInTheFeeder) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern"));
  ASSERT_TRUE(config.feedsCentred);
  ASSERT_EQ(config.maxWidth, 2592);
  struct Paper {
    int index, width, length;
  };
  for (const Paper paper : {Paper{3, 2550, 4200}, {4, 2550, 3300}, {5, 2480, 3508}, {6, 1748, 2480},
                            {7, 1240, 1748}, {8, 874, 1240}, {9, 2079, 2953}, {10, 1476, 2079},
                            {11, 1039, 1476}, {12, 2150, 3035}, {13, 1512, 2150}, {14, 1075, 1512},
                            {15, 1200, 1800}, {16, 900, 1500}, {17, 1800, 1200}, {18, 1500, 900}}) {
    scan.paperSize = paper.index;
    run(config);
    const Lines layout = sessionRecord("scanner", "MSG_SET DAT_IMAGELAYOUT ");
    ASSERT_EQ(layout.size(), 1u) << paper.index;
    std::istringstream frame(layout[0].substr(24));
    double left = -1, top = -1, right = -1, bottom = -1;
    frame >> left >> top >> right >> bottom;
    const int expectedLeft = (2592 - paper.width) / 2;  // integer halving
    EXPECT_NEAR(left, expectedLeft / 300.0, 1e-4) << paper.index;
    EXPECT_EQ(top, 0) << paper.index;
    EXPECT_NEAR(right, (expectedLeft + paper.width) / 300.0, 1e-4) << paper.index;
    EXPECT_NEAR(bottom, paper.length / 300.0, 1e-4) << paper.index;
  }
}

TEST(ProfileFrame, WideSheetsAndHugeCustomAreasStayInRange) {
  ScannerConfig config;
  config.feedsCentred = true;
  config.maxWidth = 2000;  // narrower than Letter: the sheet starts at the left edge
  CScanSetting scan;
  scan.paperSize = 4;
  EXPECT_EQ(ProfileFrame(scan, config), (ScanArea{0, 0, 2550, 3300}));

  scan.paperSize = 0;  // a hand-edited profile
  scan.xOffset = INT_MAX - 10;
  scan.width = 100;
  scan.yOffset = -5;
  scan.height = INT_MIN;
  EXPECT_EQ(ProfileFrame(scan, config), (ScanArea{INT_MAX - 10, -5, INT_MAX, INT_MIN}));
}

TEST_F(ButtonScanTest, FlatbedScannersDoNotCentre) {
  virtualscanner::VirtualDevice flatbed = feederScanner("Egret");
  flatbed.feeder = false;
  flatbed.flatbed = true;
  flatbed.flatbedWidth = 2592;
  flatbed.flatbedLength = 3508;
  ScannerConfig config = registerScanner("scanner", flatbed);
  run(config);
  EXPECT_EQ(sessionRecord("scanner", "MSG_SET DAT_IMAGELAYOUT"), Lines{"MSG_SET DAT_IMAGELAYOUT 0 0 8.5 11"});
}

TEST_F(ButtonScanTest, DuplexOnlyWhenTheScannerHasIt) {
  button.scanSide = 2;
  ScannerConfig simplex = registerScanner("scanner", feederScanner("Tern", stack(3)));
  run(simplex);
  EXPECT_EQ(sets()[2], "MSG_SET CAP_DUPLEXENABLED TWTY_BOOL 0");
  EXPECT_EQ(receiver.duplex, false);
  for (const auto& page : receiver.pages) EXPECT_EQ(page.side, 0);

  auto duplexDevice = feederScanner("Tern", testing::tempRoot() + "/pages");
  duplexDevice.duplex = true;
  ScannerConfig duplex = registerScanner("scanner", duplexDevice);
  receiver.pages.clear();
  run(duplex);
  EXPECT_EQ(sets()[2], "MSG_SET CAP_DUPLEXENABLED TWTY_BOOL 1");
  EXPECT_EQ(receiver.duplex, true);
  ASSERT_EQ(receiver.pages.size(), 3u);
  EXPECT_EQ(receiver.pages[0].side, 0);
  EXPECT_EQ(receiver.pages[1].side, 1);
  EXPECT_EQ(receiver.pages[2].side, 0);  // an odd stack: the last sheet has no back
}

TEST_F(ButtonScanTest, ADuplexScannerScanningOneSideGivesOnlyTheFronts) {
  auto device = feederScanner("Heron", stack(5));  // sides: front, back, front, back, front
  device.duplex = true;
  ScannerConfig config = registerScanner("scanner", device);
  scan.scanMode = 1;  // grey, so each page shows its side's level
  const auto levels = [&] {
    std::vector<std::pair<int, int>> seen;  // level, side
    for (const auto& page : receiver.pages) seen.emplace_back(page.firstByte, page.side);
    receiver.pages.clear();
    return seen;
  };

  button.scanSide = 0;
  run(config);
  EXPECT_EQ(receiver.duplex, false);
  EXPECT_EQ(levels(), (std::vector<std::pair<int, int>>{{10, 0}, {30, 0}, {50, 0}}));
  EXPECT_EQ(sessionRecord("scanner", "MSG_ENDXFER"),
            (Lines{"MSG_ENDXFER 2 pending", "MSG_ENDXFER 1 pending", "MSG_ENDXFER 0 pending"}));

  button.scanSide = 2;
  run(config);
  EXPECT_EQ(receiver.duplex, true);
  EXPECT_EQ(levels(), (std::vector<std::pair<int, int>>{{10, 0}, {20, 1}, {30, 0}, {40, 1}, {50, 0}}));
}

TEST_F(ButtonScanTest, SideSelectorOverridesTheButton) {
  auto device = feederScanner("Heron");
  device.duplex = true;
  ScannerConfig config = registerScanner("scanner", device);
  ASSERT_EQ(config.sideSelector, 0);
  button.scanSide = 2;
  config.sideSelector = 1;  // a one-side button event
  run(config);
  EXPECT_EQ(sets()[2], "MSG_SET CAP_DUPLEXENABLED TWTY_BOOL 0");
  button.scanSide = 0;
  config.sideSelector = 2;  // a both-sides event
  run(config);
  EXPECT_EQ(sets()[2], "MSG_SET CAP_DUPLEXENABLED TWTY_BOOL 1");
  config.sideSelector = 0;  // a click in the list: the button's own side
  run(config);
  EXPECT_EQ(sets()[2], "MSG_SET CAP_DUPLEXENABLED TWTY_BOOL 0");
}

TEST_F(ButtonScanTest, ReceiverStopWithoutEndTransferStillClosesEverything) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern", stack(4)));
  scan.scanMode = 1;  // grey, so each page shows its sheet's level
  bool busyInside = false;
  receiver.onPage = [&](std::size_t count) {
    busyInside = config.busy && config.IsScannerPresent() == 1;
    return count == 2 ? 0 : 1;
  };
  run(config);
  EXPECT_EQ(receiver.pages.size(), 2u);
  EXPECT_TRUE(busyInside);
  EXPECT_FALSE(config.busy);
  const Lines record = sessionRecord("scanner");
  const Lines tail(record.end() - 5, record.end());
  EXPECT_EQ(tail[0].substr(0, 35), "MSG_GET DAT_IMAGENATIVEXFER page1.b");
  EXPECT_EQ(tail[1], "MSG_ENDXFER 3 pending");
  EXPECT_EQ(tail[2].substr(0, 35), "MSG_GET DAT_IMAGENATIVEXFER page2.b");
  EXPECT_EQ(tail[3], "MSG_DISABLEDS (in the middle of a transfer)");
  EXPECT_EQ(tail[4], "MSG_CLOSEDS");

  receiver.pages.clear();
  receiver.onPage = nullptr;
  run(config);  // the next press scans the whole stack again
  ASSERT_EQ(receiver.pages.size(), 4u);
  EXPECT_EQ(receiver.pages[0].firstByte, 10);
  EXPECT_EQ(receiver.pages[3].firstByte, 40);
}

TEST_F(ButtonScanTest, AStopRequestEndsThePassAfterThePageInHandWithTheRestReset) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern", stack(4)));
  std::stop_source stop;
  receiver.onPage = [&](std::size_t count) {
    if (count == 2) stop.request_stop();
    return 1;
  };
  EXPECT_EQ(RunButtonScan(config, receiver, button, ui, testing::sourceManagerLibrary(), stop.get_token()),
            PassEnd::stopped);
  EXPECT_EQ(receiver.pages.size(), 2u);
  const Lines record = sessionRecord("scanner");
  const Lines tail(record.end() - 4, record.end());
  EXPECT_EQ(tail[0], "MSG_ENDXFER 2 pending");
  EXPECT_EQ(tail[1], "MSG_RESET DAT_PENDINGXFERS");
  EXPECT_EQ(tail[3], "MSG_CLOSEDS");
}

TEST_F(ButtonScanTest, TwoSourcesWithTheSameNameTakeTheLastOne) {
  registerScanner("first", feederScanner("Tern", stack(1)));
  const std::string otherPages = testing::tempRoot() + "/other";
  writeSheet(otherPages + "/a.bmp", letterSheet(200, 200, 200));
  writeSheet(otherPages + "/b.bmp", letterSheet(210, 210, 210));
  ScannerConfig config = registerScanner("second", feederScanner("Tern", otherPages));
  scan.scanMode = 1;
  run(config);
  ASSERT_EQ(receiver.pages.size(), 2u);
  EXPECT_EQ(receiver.pages[0].firstByte, 200);
  EXPECT_FALSE(sets("second").empty());
  EXPECT_FALSE(std::filesystem::exists(testing::tempRoot() + "/appdata/Ostrel/devices/first/session.log"));
}

TEST_F(ButtonScanTest, NoSourceShowsNoDeviceFound) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern"));
  config.modelName = "Kestrel";
  run(config);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "No device found");
  EXPECT_FALSE(config.busy);

  testing::writeFile(config.resourceFile, "[Else]\r\nMessage1=Kein Gerät gefunden\r\n");
  config.modelName = "Tern";
  RunButtonScan(config, receiver, button, ui, testing::tempRoot() + "/missing/libostreldsm.so");
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, "Kein Gerät gefunden");
  EXPECT_TRUE(receiver.pages.empty());
}

TEST_F(ButtonScanTest, PagesFollowFileNamesResolutionAndSkipUnreadableFiles) {
  const std::string folder = testing::tempRoot() + "/pages";
  writeSheet(folder + "/b.bmp", letterSheet(20, 20, 20));
  writeSheet(folder + "/a.bmp", letterSheet(10, 10, 10));
  testing::writeFile(folder + "/c.png", "not a picture");
  writeSheet(folder + "/d.bmp", letterSheet(40, 40, 40));
  testing::writeFile(folder + "/notes.txt", "ignored");
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern", folder));
  scan.scanMode = 1;
  scan.resolution = 200;
  scan.automatic = 1;
  run(config);
  ASSERT_EQ(receiver.pages.size(), 3u);
  EXPECT_EQ(receiver.pages[0].firstByte, 10);
  EXPECT_EQ(receiver.pages[1].firstByte, 20);
  EXPECT_EQ(receiver.pages[2].firstByte, 40);
  EXPECT_EQ(receiver.pages[0].width, 1700);  // 8.5 inches at 200 dpi
  EXPECT_EQ(receiver.pages[0].height, 2200);
  EXPECT_EQ(receiver.pages[0].xDpi, 200);    // 7874 dots per metre, rounded
  EXPECT_EQ(sessionRecord("scanner", "# skipped c.png").size(), 1u);
}

TEST_F(ButtonScanTest, ButtonWithoutScanProfileScansWithDefaults) {
  ScannerConfig config = registerScanner("scanner", feederScanner("Tern", stack(1)));
  button.scanSetting = nullptr;
  run(config);
  EXPECT_EQ(receiver.pages.size(), 1u);
}

}  // namespace
}  // namespace ostrel
