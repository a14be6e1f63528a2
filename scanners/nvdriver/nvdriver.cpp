// libnvdriver.so: the driver library of a virtual scanner. It answers the four
// driver exports from the device's virtualscanner.ini, which lies beside the
// library file: ostrel-device puts a copy of this library into each virtual
// device's folder, so the library's own path names its device. (A copy rather
// than a link, since the loader shares one mapping between links to one file.)
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "scanners/protocol/driver_interface.h"
#include "platform/dynamic_library.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace {

using ostrel::ScannerAbilityRecord;
using ostrel::virtualscanner::VirtualDevice;

std::optional<VirtualDevice>& loadedDevice() {
  static std::optional<VirtualDevice> device;  // between InitializeDriver and TerminateDriver
  return device;
}

// This library's own file: dladdr on one of its functions.
std::string ownPath() { return ostrel::platform::modulePathOf(reinterpret_cast<const void*>(&ownPath)); }

std::uint16_t size16(int value) { return static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF)); }

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int InitializeDriver() {
  try {
    loadedDevice() = VirtualDevice::load(ostrel::virtualscanner::deviceIniBeside(ownPath()));
    return loadedDevice() ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

__attribute__((visibility("default"))) int InitializeScanner() { return loadedDevice() ? 1 : 0; }

__attribute__((visibility("default"))) int GetScannerAbilityEx(ScannerAbilityRecord* ability,
                                                               ScannerAbilityRecord* abilityEx) {
  const auto& device = loadedDevice();
  if (!device || !ability) return 0;
  ScannerAbilityRecord record{};
  if (device->feeder) record.flags |= ostrel::ability::kFeeder;
  if (device->feeder && device->duplex) record.flags |= ostrel::ability::kDuplexFeeder;
  if (device->flatbed) record.flags |= ostrel::ability::kFlatbed;
  record.ultrasonic = device->ultrasonic ? 1 : 0;
  record.flatbedWidth = size16(device->flatbed ? device->flatbedWidth : 0);
  record.flatbedLength = size16(device->flatbed ? device->flatbedLength : 0);
  record.feederWidth = size16(device->feeder ? device->feederWidth : 0);
  record.feederLength = size16(device->feeder ? device->feederLength : 0);
  std::memcpy(ability, &record, sizeof record);
  if (abilityEx && abilityEx != ability) std::memcpy(abilityEx, &record, sizeof record);
  return 1;
}

__attribute__((visibility("default"))) void TerminateDriver() { loadedDevice().reset(); }

}  // extern "C"
