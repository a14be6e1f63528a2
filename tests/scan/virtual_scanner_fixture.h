#pragma once
// A virtual scanner registered as ostrel-device registers it, a stack of page
// images for its feeder, and the record its data source keeps of the session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/dib.h"
#include "app/scan/scanner_config.h"
#include "app/scan/twain/button_data_source.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::testing {

std::string sourceManagerLibrary();

// A Letter sheet at 100 dpi, filled with one grey level or colour; pages are
// told apart by that fill.
Dib letterSheet(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
void writeSheet(const std::string& path, const Dib& sheet);

// Registers the device; the configuration comes from FindDriver and
// QueryScannerAbilities as at start-up.
ScannerConfig registerScanner(const std::string& deviceId, const virtualscanner::VirtualDevice& device);
virtualscanner::VirtualDevice feederScanner(const std::string& model, const std::string& pagesFolder = {});

// The lines of the device's session record, all or only those starting with prefix.
std::vector<std::string> sessionRecord(const std::string& deviceId, const std::string& prefix = {});

struct ReceivedPage {
  int width, height, bits, side;
  std::uint8_t firstByte;  // top left pixel's first byte
  int xDpi;
};

class RecordingReceiver : public PageReceiver {
 public:
  void DuplexReported(bool value) override { duplex = value; }
  int PageReceived(Dib page, int side) override {
    pages.push_back({page.width(), page.height(), page.bitsPerPixel(), side, page.row(0)[0], page.xDpi()});
    if (onPage) return onPage(pages.size());
    return 1;
  }

  std::optional<bool> duplex;
  std::vector<ReceivedPage> pages;
  std::function<int(std::size_t count)> onPage;
};

}  // namespace ostrel::testing
