#include "scanners/protocol/imaging_devices.h"

#include <unistd.h>

#include <cstdio>

#include "platform/environment.h"
#include "platform/registry_store.h"

namespace ostrel {

using platform::Hive;
using platform::RegistryKey;
using platform::RegistryType;

std::string imagingDeviceKeyPath(int index) {
  char number[16];
  std::snprintf(number, sizeof number, "\\%04d", index);
  return std::string(kImagingDeviceClassKey) + number;
}

ImagingDevice readImagingDevice(std::string_view keyPath) {
  ImagingDevice device;
  device.keyPath = std::string(keyPath);
  const auto key = RegistryKey::open(Hive::LocalMachine, keyPath);
  if (!key) return device;
  device.deviceId = key->text("DeviceID").value_or("");
  device.description = key->text("DriverDesc").value_or("");
  device.vendor = key->text("Vendor").value_or("");
  if (const auto driver = key->value("DRIVERPATH")) {
    device.driverPath = driver->type == RegistryType::ExpandString
                            ? platform::ExpandEnvironmentStrings(driver->text)
                            : driver->text;
  }
  return device;
}

ImagingDeviceList listImagingDevices() {
  ImagingDeviceList list;
  const std::string folder = platform::registryFolder();
  if (::access(folder.c_str(), R_OK | X_OK) != 0) return list;
  const auto deviceClass = RegistryKey::open(Hive::LocalMachine, kImagingDeviceClassKey);
  if (!deviceClass) {
    list.status = DeviceListStatus::NoDeviceClass;
    return list;
  }
  for (std::size_t i = 0;; ++i) {
    const auto name = deviceClass->subkeyAt(i);
    if (!name) break;
    list.devices.push_back(readImagingDevice(std::string(kImagingDeviceClassKey) + "\\" + *name));
  }
  list.status = list.devices.empty() ? DeviceListStatus::NoDevices : DeviceListStatus::Listed;
  return list;
}

}  // namespace ostrel
