// libsanedriver.so: the driver library of a scanner reached through SANE. It
// answers the four driver exports from the SANE device that the
// sanescanner.ini beside the library names: ostrel-device puts a copy of this
// library into each such device's folder, so the library's own path names its
// device (a copy rather than a link, since the loader shares one mapping
// between links to one file). Nothing thrown inside crosses the exports.
#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "scanners/protocol/driver_interface.h"
#include "platform/dynamic_library.h"
#include "scanners/sane/button_sensors.h"
#include "scanners/sane/sane_device.h"
#include "scanners/sane/sane_device_settings.h"

namespace {

using ostrel::ScannerAbilityRecord;
using ostrel::sane::SaneDevice;
using ostrel::sane::SaneDeviceSettings;

// Between InitializeDriver and TerminateDriver.
struct Driver {
  std::optional<SaneDeviceSettings> settings;
  std::shared_ptr<SaneDevice> device;
};

Driver& driver() {
  static Driver state;
  return state;
}

// Between the first ReadButtonSensors and ReleaseButtonSensors: the manager
// holds the scanner while it is idle, as a button daemon does.
struct Sensors {
  std::shared_ptr<SaneDevice> device;
  std::vector<ostrel::sane::OptionDescription> options;
};

Sensors& sensors() {
  static Sensors state;
  return state;
}

// This library's own file: dladdr on one of its functions.
std::string ownPath() { return ostrel::platform::modulePathOf(reinterpret_cast<const void*>(&ownPath)); }

std::uint16_t size16(double millimetres) {
  return static_cast<std::uint16_t>(std::clamp(ostrel::sane::threeHundredths(millimetres), 0, 0xFFFF));
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int InitializeDriver() {
  try {
    driver().device.reset();
    driver().settings = SaneDeviceSettings::load(ostrel::sane::saneIniBeside(ownPath()));
    return driver().settings ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

__attribute__((visibility("default"))) int InitializeScanner() {
  try {
    if (!driver().settings) return 0;
    driver().device = SaneDevice::open(driver().settings->saneName, nullptr);
    return driver().device ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

__attribute__((visibility("default"))) int GetScannerAbilityEx(ScannerAbilityRecord* ability,
                                                               ScannerAbilityRecord* abilityEx) {
  try {
    if (!driver().device || !ability) return 0;
    const auto abilities = ostrel::sane::readAbilities(*driver().device);
    ScannerAbilityRecord record{};
    if (abilities.feeder) record.flags |= ostrel::ability::kFeeder;
    if (abilities.duplex) record.flags |= ostrel::ability::kDuplexFeeder;
    if (abilities.flatbed) record.flags |= ostrel::ability::kFlatbed;
    record.ultrasonic = abilities.doubleFeedDetection ? 1 : 0;
    record.flatbedWidth = size16(abilities.flatbed ? abilities.flatbedArea.width : 0);
    record.flatbedLength = size16(abilities.flatbed ? abilities.flatbedArea.length : 0);
    record.feederWidth = size16(abilities.feeder ? abilities.feederArea.width : 0);
    record.feederLength = size16(abilities.feeder ? abilities.feederArea.length : 0);
    std::memcpy(ability, &record, sizeof record);
    if (abilityEx && abilityEx != ability) std::memcpy(abilityEx, &record, sizeof record);
    return 1;
  } catch (...) {
    return 0;
  }
}

// Closes the device and, with the last holder, SANE.
__attribute__((visibility("default"))) void TerminateDriver() {
  driver().device.reset();
  driver().settings.reset();
}

__attribute__((visibility("default"))) int ReadButtonSensors(ostrel::ButtonSensorRecord* records, int capacity) {
  try {
    Sensors& state = sensors();
    if (!state.device) {
      const auto settings = SaneDeviceSettings::load(ostrel::sane::saneIniBeside(ownPath()));
      if (!settings) return -1;
      state.device = SaneDevice::open(settings->saneName, nullptr);
      if (!state.device) return -1;
      state.options = ostrel::sane::findSensors(state.device->options());
    }
    const auto readings = ostrel::sane::readSensors(*state.device, state.options);
    if (!readings) {
      state = Sensors{};
      return -1;
    }
    const int count = static_cast<int>(readings->size());
    for (int i = 0; records && i < std::min(count, capacity); ++i) {
      const auto& reading = (*readings)[static_cast<std::size_t>(i)];
      ostrel::ButtonSensorRecord& record = records[i];
      std::memset(record.name, 0, sizeof record.name);
      std::memcpy(record.name, reading.name.data(), std::min(reading.name.size(), sizeof record.name - 1));
      record.kind = reading.isNumber ? ostrel::kSensorNumber : ostrel::kSensorSwitch;
      record.value = reading.value;
    }
    return count;
  } catch (...) {
    sensors() = Sensors{};
    return -1;
  }
}

// Closes the device and, with the last holder, SANE.
__attribute__((visibility("default"))) void ReleaseButtonSensors() { sensors() = Sensors{}; }

}  // extern "C"
