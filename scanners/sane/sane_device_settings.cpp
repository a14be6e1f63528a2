#include "scanners/sane/sane_device_settings.h"

#include <unistd.h>

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel::sane {

namespace {

constexpr const char* kDevice = "Device";

}  // namespace

bool SaneDeviceSettings::save(const std::string& iniPath) const {
  ::unlink(iniPath.c_str());
  return platform::WritePrivateProfileString(kDevice, "SaneName", saneName, iniPath) &&
         platform::WritePrivateProfileString(kDevice, "Model", model, iniPath) &&
         platform::WritePrivateProfileString(kDevice, "Vendor", vendor, iniPath);
}

std::optional<SaneDeviceSettings> SaneDeviceSettings::load(const std::string& iniPath) {
  if (!platform::fileExists(iniPath)) return std::nullopt;
  SaneDeviceSettings settings;
  settings.saneName = platform::GetPrivateProfileString(kDevice, "SaneName", "", iniPath);
  settings.model = platform::GetPrivateProfileString(kDevice, "Model", "", iniPath);
  settings.vendor = platform::GetPrivateProfileString(kDevice, "Vendor", settings.vendor, iniPath);
  if (settings.saneName.empty()) return std::nullopt;
  return settings;
}

std::string saneIniBeside(const std::string& driverPath) {
  return platform::joinPath(platform::folderOf(driverPath), kSaneDeviceIniName);
}

}  // namespace ostrel::sane
