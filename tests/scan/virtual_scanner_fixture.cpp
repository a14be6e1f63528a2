#include "tests/scan/virtual_scanner_fixture.h"

#include <cstring>
#include <sstream>

#include "scanners/protocol/bitmap_file.h"
#include "platform/text.h"
#include "tests/support/temp_home.h"
#include "scanners/ostrel-device/device_registration.h"

namespace ostrel::testing {

std::string sourceManagerLibrary() { return binDir() + "/libostreldsm.so"; }

Dib letterSheet(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
  constexpr int kDotsPerMetre100 = 3937;
  auto sheet = Dib::create(850, 1100, 24, kDotsPerMetre100, kDotsPerMetre100);
  for (int y = 0; y < sheet->height(); ++y) {
    std::uint8_t* row = sheet->row(y);
    for (int x = 0; x < sheet->width(); ++x, row += 3) {
      row[0] = blue;
      row[1] = green;
      row[2] = red;
    }
  }
  return std::move(*sheet);
}

void writeSheet(const std::string& path, const Dib& sheet) {
  writeFile(path, "");
  ASSERT_TRUE(writeBitmapFile(sheet, path));
}

virtualscanner::VirtualDevice feederScanner(const std::string& model, const std::string& pagesFolder) {
  virtualscanner::VirtualDevice device;
  device.model = model;
  device.feederWidth = 2592;
  device.feederLength = 4200;
  device.pagesFolder = pagesFolder;
  return device;
}

ScannerConfig registerScanner(const std::string& deviceId, const virtualscanner::VirtualDevice& device) {
  const auto outcome = devicetool::addVirtualDevice(deviceId, device, binDir() + "/libnvdriver.so");
  EXPECT_TRUE(outcome.ok) << outcome.message;
  ScannerConfig config;
  config.resourceFile = tempRoot() + "/ResourceSetting.ini";
  EXPECT_EQ(config.FindDriver(deviceId), 1);
  EXPECT_EQ(config.QueryScannerAbilities(), 1);
  return config;
}

std::vector<std::string> sessionRecord(const std::string& deviceId, const std::string& prefix) {
  std::istringstream in(readFile(devicetool::devicesFolder() + "/" + deviceId + "/session.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

}  // namespace ostrel::testing
