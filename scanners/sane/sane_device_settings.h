#pragma once
// A SANE scanner registered as an imaging device: which SANE device it is and
// the model and vendor it goes by, kept in "sanescanner.ini" in the device's
// folder beside the driver library that DRIVERPATH names, as a virtual
// scanner's settings are.
#include <optional>
#include <string>

namespace ostrel::sane {

inline constexpr const char* kSaneDeviceIniName = "sanescanner.ini";

struct SaneDeviceSettings {
  std::string saneName;  // "test:0", "fujitsu:libusb:002:004"
  std::string model;
  std::string vendor = "Norvane";

  // Rewrites the whole file; false when it cannot be written.
  bool save(const std::string& iniPath) const;
  // nullopt when the file does not exist or names no SANE device.
  static std::optional<SaneDeviceSettings> load(const std::string& iniPath);
};

// The settings file beside a driver library path.
std::string saneIniBeside(const std::string& driverPath);

}  // namespace ostrel::sane
