// The transfer loops and message loops of TwainDataSource, and the preview
// scan, against the real source manager library and a virtual scanner.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/scan/twain/preview_scan.h"
#include "app/scan/twain/twain_data_source.h"
#include "tests/scan/virtual_scanner_fixture.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace twain;

class RecordingSource : public TwainDataSource {
 public:
  using TwainDataSource::TwainDataSource;

  std::string MakeFileName(int index) override {
    return folder + "/received-" + std::to_string(index) + ".bmp";
  }
  int OnFileReceived(const std::string& path) override {
    files.push_back(path);
    return stopAfter == 0 || static_cast<int>(files.size()) < stopAfter;
  }
  int OnMemoryBegin(const TW_IMAGEINFO& info) override {
    images.push_back({info.ImageWidth, info.ImageLength, info.BitsPerPixel, 0, 0});
    return 1;
  }
  int OnMemoryStrip(const TW_IMAGEMEMXFER& strip) override {
    images.back().rows += static_cast<int>(strip.Rows);
    images.back().bytes += static_cast<long>(strip.BytesWritten);
    return 1;
  }
  int OnMemoryEnd() override {
    ++ended;
    return 1;
  }
  void OnTransferReady() override {
    ++ready;
    TwainDataSource::OnTransferReady();
  }

  struct Image {
    int width, height, bits, rows;
    long bytes;
  };
  std::string folder = testing::tempRoot();
  std::vector<std::string> files;
  std::vector<Image> images;
  int stopAfter = 0;
  int ended = 0;
  int ready = 0;
};

class TransferLoopsTest : public ::testing::Test {
 protected:
  TransferLoopsTest() {
    const std::string folder = testing::tempRoot() + "/pages";
    for (int i = 1; i <= 3; ++i) testing::writeSheet(folder + "/" + std::to_string(i) + ".bmp", testing::letterSheet(60, 90, 120));
    config = testing::registerScanner("scanner", testing::feederScanner("Tern", folder));
  }

  RecordingSource& openSource() {
    EXPECT_TRUE(manager.OpenSourceManager(desktopWindow()));
    const auto found = manager.FindSources("Tern");
    EXPECT_EQ(found.size(), 1u);
    auto& source = static_cast<RecordingSource&>(manager.AddSource(std::make_unique<RecordingSource>(manager, found.at(0))));
    EXPECT_EQ(source.Open(), TWRC_SUCCESS);
    source.SetFixedCapability(ICAP_XRESOLUTION, 50);
    source.SetFixedCapability(ICAP_YRESOLUTION, 50);
    return source;
  }

  ScannerConfig config;
  TwainManager manager{testing::sourceManagerLibrary()};
};

TEST_F(TransferLoopsTest, FileTransfersGoThroughTheNamedFiles) {
  RecordingSource& source = openSource();
  ASSERT_TRUE(source.SetCapability(ICAP_XFERMECH, TWSX_FILE, TWTY_UINT16));
  ASSERT_EQ(source.Enable(false, manager.Parent()), TWRC_SUCCESS);
  EXPECT_EQ(source.TransferFiles(), TWRC_SUCCESS);
  ASSERT_EQ(source.files.size(), 3u);
  for (const auto& file : source.files) EXPECT_GT(std::filesystem::file_size(file), 54u);
  EXPECT_EQ(source.files[2], testing::tempRoot() + "/received-2.bmp");
}

TEST_F(TransferLoopsTest, RefusedFileIsDeletedAndStopsTheLoop) {
  RecordingSource& source = openSource();
  source.stopAfter = 2;
  source.SetCapability(ICAP_XFERMECH, TWSX_FILE, TWTY_UINT16);
  source.Enable(false, manager.Parent());
  EXPECT_EQ(source.TransferFiles(), TWRC_CANCEL);
  ASSERT_EQ(source.files.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(source.files[0]));
  EXPECT_FALSE(std::filesystem::exists(source.files[1]));
}

TEST_F(TransferLoopsTest, FileTransfersThatCannotBeWrittenEndWithTheStack) {
  RecordingSource& source = openSource();
  source.folder = testing::tempRoot() + "/missing";
  source.SetCapability(ICAP_XFERMECH, TWSX_FILE, TWTY_UINT16);
  source.Enable(false, manager.Parent());
  EXPECT_EQ(source.TransferFiles(), TWRC_SUCCESS);  // each sheet fails, is skipped, and the loop ends
  EXPECT_TRUE(source.files.empty());
  EXPECT_EQ(testing::sessionRecord("scanner", "MSG_GET DAT_IMAGEFILEXFER (failed").size(), 3u);
}

TEST_F(TransferLoopsTest, MemoryTransfersArriveInStrips) {
  RecordingSource& source = openSource();
  source.SetCapability(ICAP_PIXELTYPE, TWPT_GRAY, TWTY_UINT16);
  source.Enable(false, manager.Parent());
  EXPECT_EQ(source.TransferMemory(), TWRC_SUCCESS);
  ASSERT_EQ(source.images.size(), 3u);
  EXPECT_EQ(source.ended, 3);
  for (const auto& image : source.images) {
    EXPECT_EQ(image.width, 425);
    EXPECT_EQ(image.bits, 8);
    EXPECT_EQ(image.rows, image.height);
    EXPECT_EQ(image.bytes, static_cast<long>(image.width) * image.height);
  }
}

TEST_F(TransferLoopsTest, MessageLoopTransfersOnReadyAndEndsWhenDisabled) {
  RecordingSource& source = openSource();
  source.SetCapability(ICAP_XFERMECH, TWSX_MEMORY, TWTY_UINT16);
  source.EnableAndRun(false, manager.Parent());
  EXPECT_EQ(source.ready, 1);
  EXPECT_EQ(source.images.size(), 3u);
  EXPECT_FALSE(source.IsEnabled());

  source.EnableSettingsAndRun(manager.Parent());  // the source confirms at once
  EXPECT_FALSE(source.IsEnabled());
  const auto record = testing::sessionRecord("scanner", "MSG_ENABLEDSUIONLY");
  EXPECT_EQ(record.size(), 1u);
}

TEST_F(TransferLoopsTest, EnableWithoutParentIsNotCalled) {
  RecordingSource& source = openSource();
  EXPECT_EQ(source.Enable(false, nullptr), TWRC_DATANOTAVAILABLE);
  EXPECT_FALSE(source.IsEnabled());
  EXPECT_EQ(source.TransferNative(), 0);  // no image without an enabled source
  EXPECT_TRUE(testing::sessionRecord("scanner", "MSG_ENABLEDS").empty());
}

TEST_F(TransferLoopsTest, GetCapabilityReadsBackOrGivesZero) {
  RecordingSource& source = openSource();
  EXPECT_EQ(source.GetCapability(ICAP_PIXELTYPE), TWPT_RGB);
  source.SetCapability(ICAP_PIXELTYPE, TWPT_BW, TWTY_UINT16);
  EXPECT_EQ(source.GetCapability(ICAP_PIXELTYPE), TWPT_BW);
  EXPECT_EQ(source.GetCapability(0x8123), 0u);
  EXPECT_FALSE(source.SetCapability(CAP_DUPLEXENABLED, 1, TWTY_BOOL));  // a simplex scanner
  EXPECT_EQ(manager.ConditionCode(&source.Identity()), TWCC_BADVALUE);
}

TEST(PreviewScan, WritesTheBitmapFileAsDescribed) {
  const std::string folder = testing::tempRoot() + "/pages";
  testing::writeSheet(folder + "/1.bmp", testing::letterSheet(200, 200, 200));
  ScannerConfig config = testing::registerScanner("scanner", testing::feederScanner("Tern", folder));
  const std::string preview = testing::tempRoot() + "/appdata/Ostrel/preview.bmp";
  std::filesystem::create_directories(testing::tempRoot() + "/appdata/Ostrel");
  ASSERT_EQ(RunPreviewScan(config, preview, 0, 0, testing::sourceManagerLibrary()), PreviewResult::Written);
  EXPECT_FALSE(config.busy);

  const std::string bytes = testing::readFile(preview);
  const auto u32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 |
                                      static_cast<std::uint8_t>(bytes[at + 2]) << 16 |
                                      static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24);
  };
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  const std::uint32_t width = u32(18), height = u32(22);
  EXPECT_EQ(width, 864u);   // 8.64 inches at 100 dpi
  EXPECT_EQ(height, 1400u);  // 14 inches at most
  EXPECT_EQ(u32(2), 54 + 4 * (height * ((24 * width + 31) / 32)));
  EXPECT_EQ(u32(2), bytes.size());
  EXPECT_EQ(u32(6), 0u);
  EXPECT_EQ(u32(10), 54u);

  const auto sets = testing::sessionRecord("scanner", "MSG_SET");
  EXPECT_EQ(sets, (std::vector<std::string>{
                      "MSG_SET ICAP_XFERMECH TWTY_UINT16 0", "MSG_SET ICAP_PIXELTYPE TWTY_UINT16 2",
                      "MSG_SET ICAP_XRESOLUTION TWTY_FIX32 100", "MSG_SET ICAP_YRESOLUTION TWTY_FIX32 100",
                      "MSG_SET ICAP_BRIGHTNESS TWTY_FIX32 0", "MSG_SET ICAP_BRIGHTNESS TWTY_FIX32 0",
                      "MSG_SET ICAP_GAMMA TWTY_FIX32 1", "MSG_SET ICAP_CONTRAST TWTY_FIX32 0",
                      "MSG_SET 0x9200 TWTY_BOOL 0", "MSG_SET ICAP_AUTOMATICBORDERDETECTION TWTY_BOOL 0",
                      "MSG_SET DAT_IMAGELAYOUT 0 0 8.64 14"}));

  config.modelName = "Kestrel";
  EXPECT_EQ(RunPreviewScan(config, preview, 0, 0, testing::sourceManagerLibrary()), PreviewResult::NoDevice);
}

}  // namespace
}  // namespace ostrel
