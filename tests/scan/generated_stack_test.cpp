// The generated stack end to end: text pages carry ink, blank sides are paper
// with noise, and a barcode page reads back with a real barcode reader.
#define ZX_USE_UTF8 1  // Result::text() as UTF-8
#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/scan/twain/button_scan.h"
#include "tests/scan/virtual_scanner_fixture.h"
#include "tests/support/recording_ui.h"

namespace ostrel {
namespace {

class KeepingReceiver : public PageReceiver {
 public:
  void DuplexReported(bool) override {}
  int PageReceived(Dib page, int) override {
    pages.push_back(std::move(page));
    return 1;
  }
  std::vector<Dib> pages;
};

double darkShare(const Dib& grey) {
  long dark = 0;
  for (int y = 0; y < grey.height(); ++y) {
    for (int x = 0; x < grey.width(); ++x) dark += grey.row(y)[x] < 128;
  }
  return static_cast<double>(dark) / (static_cast<double>(grey.width()) * grey.height());
}

std::string readBarcode(const Dib& grey) {
  std::vector<std::uint8_t> topDown;
  for (int y = 0; y < grey.height(); ++y) topDown.insert(topDown.end(), grey.row(y), grey.row(y) + grey.width());
  const ZXing::ImageView view(topDown.data(), grey.width(), grey.height(), ZXing::ImageFormat::Lum);
  const ZXing::Result result = ZXing::ReadBarcode(view);
  return result.isValid() ? result.text() : std::string();
}

TEST(GeneratedStack, TextBlankAndBarcodePages) {
  auto device = testing::feederScanner("Tern");
  device.generatedPages = 4;
  device.blankPages = {2};
  device.barcodePages = {{3, "INV-0042"}};
  ScannerConfig config = testing::registerScanner("generated", device);
  CScanSetting scan;
  scan.scanMode = 1;
  scan.resolution = 200;
  CButtonSetting button;
  button.scanSetting = &scan;
  KeepingReceiver receiver;
  testing::RecordingUserInterface ui;
  RunButtonScan(config, receiver, button, ui, testing::sourceManagerLibrary());

  ASSERT_EQ(receiver.pages.size(), 4u);
  EXPECT_EQ(receiver.pages[0].width(), 1700);
  EXPECT_GT(darkShare(receiver.pages[0]), 0.01);
  EXPECT_LT(darkShare(receiver.pages[1]), 0.001);
  EXPECT_EQ(readBarcode(receiver.pages[2]), "INV-0042");
  EXPECT_EQ(readBarcode(receiver.pages[0]), "");
}

}  // namespace
}  // namespace ostrel
