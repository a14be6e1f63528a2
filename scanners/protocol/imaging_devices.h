#pragma once
// The imaging devices the system knows: one registry key per device under the
// still-image device class in HKEY_LOCAL_MACHINE, named "0000", "0001", ...
// Virtual scanners are registered there by ostrel-device.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

inline constexpr std::string_view kImagingDeviceClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";

// The largest device key index FindDriver probes.
inline constexpr int kLastImagingDeviceIndex = 9999;

// The longest model name ("DriverDesc") the program keeps: it is read through a
// 20-unit buffer, so a longer model could never be matched to its data source.
inline constexpr std::size_t kModelNameMax = 19;

// The class key plus "\%04d".
std::string imagingDeviceKeyPath(int index);

struct ImagingDevice {
  std::string keyPath;
  std::string deviceId;     // "DeviceID"
  std::string description;  // "DriverDesc"
  std::string vendor;       // "Vendor"
  std::string driverPath;   // "DRIVERPATH", environment references expanded
};

// The device at one key, or an entry with empty fields when the key lacks them.
ImagingDevice readImagingDevice(std::string_view keyPath);

enum class DeviceListStatus {
  StoreUnavailable,  // the registry store's folder cannot be read
  NoDeviceClass,     // no imaging device class is registered at all
  NoDevices,         // the class holds no device key
  Listed,
};

struct ImagingDeviceList {
  DeviceListStatus status = DeviceListStatus::StoreUnavailable;
  std::vector<ImagingDevice> devices;  // every subkey of the class, in order
};

ImagingDeviceList listImagingDevices();

}  // namespace ostrel
