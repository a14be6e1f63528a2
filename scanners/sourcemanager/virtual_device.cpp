#include "scanners/sourcemanager/virtual_device.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel::virtualscanner {

namespace {

constexpr const char* kDevice = "Device";
constexpr const char* kPages = "Pages";

}  // namespace

bool VirtualDevice::save(const std::string& iniPath) const {
  ::unlink(iniPath.c_str());
  bool ok = true;
  const auto put = [&](const char* section, const char* key, const std::string& value) {
    ok = platform::WritePrivateProfileString(section, key, value, iniPath) && ok;
  };
  const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  put(kDevice, "Model", model);
  put(kDevice, "Vendor", vendor);
  put(kDevice, "Feeder", flag(feeder));
  put(kDevice, "Flatbed", flag(flatbed));
  put(kDevice, "Duplex", flag(duplex));
  put(kDevice, "Ultrasonic", flag(ultrasonic));
  put(kDevice, "FeederWidth", std::to_string(feederWidth));
  put(kDevice, "FeederLength", std::to_string(feederLength));
  put(kDevice, "FlatbedWidth", std::to_string(flatbedWidth));
  put(kDevice, "FlatbedLength", std::to_string(flatbedLength));
  put(kPages, "Folder", pagesFolder);
  put(kPages, "Generate", std::to_string(generatedPages));
  std::string blanks;
  for (int page : blankPages) blanks += (blanks.empty() ? "" : ",") + std::to_string(page);
  put(kPages, "Blank", blanks);
  for (const auto& [page, text] : barcodePages) put(kPages, ("Barcode" + std::to_string(page)).c_str(), text);
  put(kPages, "Seed", std::to_string(seed));
  return ok;
}

std::optional<VirtualDevice> VirtualDevice::load(const std::string& iniPath) {
  if (!platform::fileExists(iniPath)) return std::nullopt;
  const auto text = [&](const char* section, const char* key, const std::string& fallback) {
    return platform::GetPrivateProfileString(section, key, fallback, iniPath);
  };
  const auto number = [&](const char* section, const char* key, int fallback) {
    return platform::GetPrivateProfileInt(section, key, fallback, iniPath);
  };
  VirtualDevice device;
  device.model = text(kDevice, "Model", "");
  device.vendor = text(kDevice, "Vendor", device.vendor);
  device.feeder = number(kDevice, "Feeder", device.feeder) != 0;
  device.flatbed = number(kDevice, "Flatbed", device.flatbed) != 0;
  device.duplex = number(kDevice, "Duplex", device.duplex) != 0;
  device.ultrasonic = number(kDevice, "Ultrasonic", device.ultrasonic) != 0;
  device.feederWidth = number(kDevice, "FeederWidth", device.feederWidth);
  device.feederLength = number(kDevice, "FeederLength", device.feederLength);
  device.flatbedWidth = number(kDevice, "FlatbedWidth", device.flatbedWidth);
  device.flatbedLength = number(kDevice, "FlatbedLength", device.flatbedLength);
  device.pagesFolder = text(kPages, "Folder", "");
  device.generatedPages = std::max(0, number(kPages, "Generate", 0));
  const std::string blanks = text(kPages, "Blank", "");
  for (std::size_t at = 0; at < blanks.size();) {
    const std::size_t comma = std::min(blanks.find(',', at), blanks.size());
    const int page = std::atoi(blanks.substr(at, comma - at).c_str());
    if (page > 0) device.blankPages.insert(page);
    at = comma + 1;
  }
  for (const std::string& key : platform::GetPrivateProfileKeyNames(kPages, iniPath)) {
    if (key.size() <= 7 || !platform::startsWithNoCase(key, "Barcode")) continue;
    const int page = std::atoi(key.c_str() + 7);
    if (page > 0) device.barcodePages[page] = text(kPages, key.c_str(), "");
  }
  device.seed = std::strtoull(text(kPages, "Seed", "1").c_str(), nullptr, 10);
  return device;
}

std::string deviceIniBeside(const std::string& driverPath) {
  return platform::joinPath(platform::folderOf(driverPath), kDeviceIniName);
}

}  // namespace ostrel::virtualscanner
