// The transfer loops and message loops of TwainDataSource, and the preview
// scan, against the real source manager library and a virtual scanner.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/scan/twain/button_data_source.h"
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

// Where each native image lay in the source manager's memory, and where the
// page the receiver got lies.
class AddressRecordingSource : public CBnDS, public PageReceiver {
 public:
  AddressRecordingSource(TwainManager& manager, const TW_IDENTITY& identity) : CBnDS(manager, identity, *this) {}

  int OnNativeImage(TW_HANDLE image) override {
    handles.push_back(manager_.Lock(image));
    manager_.Unlock(image);
    return CBnDS::OnNativeImage(image);
  }
  void DuplexReported(bool) override {}
  int PageReceived(Dib page, int) override {
    received.push_back(page.packed().data());
    if (kept.empty()) kept.push_back(std::move(page));
    return 1;
  }

  std::vector<const void*> handles;
  std::vector<const void*> received;
  std::vector<Dib> kept;  // the first page only; the others go at once
};

TEST_F(TransferLoopsTest, NativePagesAreTheHandlesMemoryAndFreeItWhenTheyGo) {
  ASSERT_TRUE(manager.OpenSourceManager(desktopWindow()));
  const auto found = manager.FindSources("Tern");
  ASSERT_EQ(found.size(), 1u);
  auto& source = static_cast<AddressRecordingSource&>(
      manager.AddSource(std::make_unique<AddressRecordingSource>(manager, found.at(0))));
  ASSERT_EQ(source.Open(), TWRC_SUCCESS);
  source.SetFixedCapability(ICAP_XRESOLUTION, 50);
  source.SetFixedCapability(ICAP_YRESOLUTION, 50);
  ASSERT_EQ(source.Enable(false, manager.Parent()), TWRC_SUCCESS);
  EXPECT_EQ(source.TransferNative(), 3);

  // No copy on the application's side: each page is its handle's memory.
  ASSERT_EQ(source.received.size(), 3u);
  EXPECT_EQ(source.received, source.handles);
  // The first page is still held, so the second was drawn elsewhere; the
  // second was freed with its page, so the third was drawn where it lay.
  EXPECT_NE(source.handles[1], source.handles[0]);
  EXPECT_EQ(source.handles[2], source.handles[1]);
  ASSERT_EQ(source.kept.size(), 1u);
  EXPECT_EQ(source.kept[0].width(), 425);
  EXPECT_EQ(source.kept[0].row(0)[0], 60);  // blue, green, red as the sheet has them
  EXPECT_EQ(source.kept[0].row(549)[2], 120);
}

// Under the sanitizers, a handle left behind or freed twice fails the test.
TEST_F(TransferLoopsTest, NativeImageThatIsNoBitmapIsRefusedAndFreed) {
  ASSERT_TRUE(manager.OpenSourceManager(desktopWindow()));
  std::string error;
  EXPECT_FALSE(manager.TakeNativeImage(manager.Allocate(64), &error));
  EXPECT_EQ(error, "unsupported bitmap header size");
  EXPECT_FALSE(manager.TakeNativeImage(nullptr, &error));
  EXPECT_EQ(error, "the image handle is empty");

  // A bitmap whose colour table is short is completed in a copy.
  const auto image = Dib::create(8, 2, 1);
  TW_HANDLE shortTable = manager.Allocate(static_cast<TW_UINT32>(image->packed().size()));
  auto* bytes = static_cast<std::uint8_t*>(manager.Lock(shortTable));
  std::copy(image->packed().begin(), image->packed().begin() + 40, bytes);
  bytes[32] = 1;  // one colour, white; the rows follow it
  bytes[40] = bytes[41] = bytes[42] = 255;
  bytes[44] = 0xF0;
  manager.Unlock(shortTable);
  const auto page = manager.TakeNativeImage(shortTable, &error);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->paletteEntry(0), (RgbQuad{255, 255, 255, 0}));
  EXPECT_EQ(page->paletteEntry(1), (RgbQuad{0, 0, 0, 0}));
  EXPECT_EQ(page->row(1)[0], 0xF0);
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
