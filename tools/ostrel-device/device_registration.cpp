#include "tools/ostrel-device/device_registration.h"

#include <filesystem>

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"
#include "platform/text.h"

namespace ostrel::devicetool {

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegistryKey;

constexpr const char* kDriverFileName = "libnvdriver.so";

// The key already registered for the identifier, else the first free index.
std::string keyPathFor(const std::string& deviceId) {
  for (const ImagingDevice& device : listImagingDevices().devices) {
    if (device.deviceId == deviceId) return device.keyPath;
  }
  for (int i = 0; i <= kLastImagingDeviceIndex; ++i) {
    const std::string path = imagingDeviceKeyPath(i);
    if (!RegistryKey::open(Hive::LocalMachine, path)) return path;
  }
  return {};
}

Outcome failure(std::string message) { return {false, std::move(message)}; }

}  // namespace

std::string devicesFolder() { return platform::joinPath(platform::appDataFolder(), "Ostrel/devices"); }

std::string checkDeviceId(const std::string& deviceId) {
  if (deviceId.empty()) return "the device identifier is empty";
  if (deviceId == "." || deviceId == "..") return "the device identifier cannot be \".\" or \"..\"";
  if (deviceId.size() > 200) return "the device identifier is longer than 200 bytes";
  for (unsigned char c : deviceId) {
    if (c == '/') return "the device identifier cannot hold '/'";
    // The program's command line ends the device name at the first blank.
    if (c == ' ') return "the device identifier cannot hold blanks";
    if (c < 0x20 || c == 0x7f) return "the device identifier cannot hold control characters";
  }
  return {};
}

Outcome addVirtualDevice(const std::string& deviceId, const virtualscanner::VirtualDevice& device,
                         const std::string& driverLibrary) {
  if (const std::string problem = checkDeviceId(deviceId); !problem.empty()) return failure(problem);
  if (device.model.empty()) return failure("the model name is empty");
  if (!platform::fileExists(driverLibrary)) {
    return failure("the virtual driver " + driverLibrary + " does not exist");
  }

  const std::string folder = platform::joinPath(devicesFolder(), deviceId);
  if (!platform::createFolderTree(folder)) return failure("cannot create the folder " + folder);
  const std::string driverPath = platform::joinPath(folder, kDriverFileName);
  std::error_code error;
  fs::copy_file(driverLibrary, driverPath, fs::copy_options::overwrite_existing, error);
  if (error) return failure("cannot copy the virtual driver into " + folder + ": " + error.message());
  if (!platform::WritePrivateProfileString("DS", "SAVEPATH", folder + "/",
                                           platform::joinPath(folder, "scanner.ini"))) {
    return failure("cannot write " + folder + "/scanner.ini");
  }
  if (!device.save(platform::joinPath(folder, virtualscanner::kDeviceIniName))) {
    return failure("cannot write the device settings in " + folder);
  }

  const std::string keyPath = keyPathFor(deviceId);
  auto key = keyPath.empty() ? std::nullopt : RegistryKey::create(Hive::LocalMachine, keyPath);
  if (!key) return failure("cannot write the device's registry key");
  const bool written = key->setString("Vendor", device.vendor) && key->setString("DeviceID", deviceId) &&
                       key->setString("DriverDesc", device.model) &&
                       key->setString("DRIVERPATH", driverPath);
  if (!written) return failure("cannot write the device's registry values");
  return {true, "registered " + deviceId + " (" + device.model + ") at " + keyPath};
}

Outcome removeDevice(const std::string& deviceId) {
  for (const ImagingDevice& device : listImagingDevices().devices) {
    if (device.deviceId != deviceId) continue;
    platform::deleteRegistryTree(Hive::LocalMachine, device.keyPath);
    // Only a folder this tool made is deleted, never wherever DRIVERPATH points.
    const fs::path folder = fs::path(device.driverPath).parent_path();
    std::error_code error;
    if (!checkDeviceId(deviceId).empty() || folder != fs::path(devicesFolder()) / deviceId) {
      return {true, "removed " + deviceId + "; its files stay in " + folder.string()};
    }
    fs::remove_all(folder, error);
    if (error) return {true, "removed " + deviceId + "; " + folder.string() + " stays: " + error.message()};
    return {true, "removed " + deviceId};
  }
  return failure("no device is registered as " + deviceId);
}

std::vector<ImagingDevice> registeredDevices() { return listImagingDevices().devices; }

}  // namespace ostrel::devicetool
