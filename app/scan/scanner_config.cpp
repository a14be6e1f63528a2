#include "app/scan/scanner_config.h"

#include <algorithm>

#include "platform/activity_log.h"
#include "scanners/protocol/driver_interface.h"
#include "scanners/protocol/imaging_devices.h"
#include "app/settings/localized_text.h"
#include "app/settings/scanner_folder.h"
#include "platform/dynamic_library.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"
#include "platform/text.h"

namespace ostrel {

ScannerConfig::ScannerConfig() : resourceFile(resourceSettingPath(platform::programFolder())) {}

int ScannerConfig::FindDriver(const std::string& deviceId) {
  // "/StiDevice: /StiEvent:..." names no device; it must not take the first
  // key that lacks its DeviceID.
  if (deviceId.empty()) return 0;
  if (!platform::RegistryKey::open(platform::Hive::LocalMachine, kImagingDeviceClassKey)) return 0;
  for (int i = 0; i <= kLastImagingDeviceIndex; ++i) {
    const std::string keyPath = imagingDeviceKeyPath(i);
    const auto key = platform::RegistryKey::open(platform::Hive::LocalMachine, keyPath);
    if (!key) continue;
    const std::string id = platform::truncateChars(key->text("DeviceID").value_or(""), 259);
    if (id != deviceId) continue;

    const ImagingDevice device = readImagingDevice(keyPath);
    modelName = platform::truncateChars(device.description, kModelNameMax);
    driverPath = device.driverPath;
    const std::string saveFolder = platform::GetPrivateProfileString(
        "DS", "SAVEPATH", "", platform::joinPath(platform::folderOf(driverPath), "scanner.ini"));
    // Without a SAVEPATH the bare file names would land in whatever folder the
    // program was started from; the scanner's own folder keeps them with its profiles.
    const std::string folder = saveFolder.empty() ? scannerFolder(modelName) : saveFolder;
    scanIniPath = platform::joinPath(folder, "nvscan32.ini");
    loadIniPath = platform::joinPath(folder, "devaru.ini");
    return 1;
  }
  return 0;
}

int ScannerConfig::QueryScannerAbilities() {
  // An empty path would make the loader hand back the program itself.
  if (driverPath.empty()) return 0;
  std::string error;
  const auto library = platform::DynamicLibrary::open(driverPath, &error);
  if (!library) return 0;
  auto* initializeDriver = library->function<InitializeDriverFunction>("InitializeDriver");
  auto* initializeScanner = library->function<InitializeScannerFunction>("InitializeScanner");
  auto* getAbility = library->function<GetScannerAbilityExFunction>("GetScannerAbilityEx");
  auto* terminateDriver = library->function<TerminateDriverFunction>("TerminateDriver");

  ScannerAbilityRecord record{};
  bool initialised = false;
  if (!initializeDriver || !initializeScanner || !getAbility || !terminateDriver) {
    Log("The scanner driver " + driverPath + " lacks one of its functions.");
  } else if (initializeDriver() && initializeScanner()) {
    getAbility(&record, &record);
    terminateDriver();
    initialised = true;
  } else {
    Log("The scanner driver " + driverPath + " did not initialise; the scanner's abilities stay unknown.");
  }

  if (initialised) {
    hasFeeder = hasFlatbed = hasDuplex = false;
    if (record.flags & ability::kDuplexFeeder) hasDuplex = hasFeeder = true;
    if (record.flags & ability::kFeederMask) hasFeeder = true;
    if (record.flags & ability::kFlatbed) hasFlatbed = true;
    hasUltrasonic = record.ultrasonic != 0;
    if (hasFlatbed && hasFeeder) {
      maxWidth = std::max(record.flatbedWidth, record.feederWidth);
      maxLength = std::max(record.flatbedLength, record.feederLength);
    } else if (hasFlatbed) {
      maxWidth = record.flatbedWidth;
      maxLength = record.flatbedLength;
    } else {
      maxWidth = record.feederWidth;
      maxLength = record.feederLength;
    }
    feedsCentred = hasFeeder;
  }
  buttonCount = modelName == "Tern" ? 6 : 9;
  sideSelector = (modelName == "Heron" || modelName == "Egret") ? 0 : -1;
  return 1;
}

int ScannerConfig::IsScannerPresent() const {
  if (busy) return 1;
  const ImagingDeviceList list = listImagingDevices();
  switch (list.status) {
    case DeviceListStatus::StoreUnavailable:
      Log("No STI device...");
      return 0;
    case DeviceListStatus::NoDeviceClass:
      Log("No STI interface...");
      return 0;
    case DeviceListStatus::NoDevices:
      Log("No STI information...");
      return 0;
    case DeviceListStatus::Listed:
      break;
  }
  for (const ImagingDevice& device : list.devices) {
    if (platform::truncateChars(device.description, kModelNameMax) == modelName) return 1;
  }
  return 0;
}

}  // namespace ostrel
