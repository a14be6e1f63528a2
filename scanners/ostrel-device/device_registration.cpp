#include "scanners/ostrel-device/device_registration.h"

#include <filesystem>
#include <set>

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"
#include "platform/text.h"
#include "scanners/sane/sane_device.h"

namespace ostrel::devicetool {

namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegistryKey;

constexpr const char* kVirtualDriverName = "libnvdriver.so";
constexpr const char* kSaneDriverName = "libsanedriver.so";

// The key already registered for the identifier, else the first free index.
std::string keyPathFor(const std::string& deviceId) {
  if (const auto device = registeredDevice(deviceId)) return device->keyPath;
  for (int i = 0; i <= kLastImagingDeviceIndex; ++i) {
    const std::string path = imagingDeviceKeyPath(i);
    if (!RegistryKey::open(Hive::LocalMachine, path)) return path;
  }
  return {};
}

Outcome failure(std::string message) { return {false, std::move(message)}; }

// Empty when the model can name a scanner, else the reason.
std::string checkModelName(const std::string& model) {
  if (model.empty()) return "the model name is empty";
  if (platform::truncateChars(model, kModelNameMax) != model) {
    return "the model name \"" + model + "\" is longer than " + std::to_string(kModelNameMax) + " characters";
  }
  // The model names the scanner's folder and every log line of its manager.
  for (unsigned char c : model) {
    if (c < 0x20 || c == 0x7f) return "the model name cannot hold line breaks, tabs or other control characters";
  }
  return {};
}

// Empty when the stack can be fed as given, else the reason.
std::string checkPageStack(const virtualscanner::VirtualDevice& device) {
  if (!device.pagesFolder.empty()) {
    std::error_code error;
    if (!fs::exists(device.pagesFolder, error)) return "the pages folder " + device.pagesFolder + " does not exist";
    if (!fs::is_directory(device.pagesFolder, error)) return device.pagesFolder + " is not a folder";
  }
  // Marks on pages the feeder never holds would be lost without a word.
  const auto beyond = [&](const char* option, int page) {
    return option + std::string(" names page ") + std::to_string(page) + ", but the feeder holds " +
           std::to_string(device.generatedPages) + " generated page(s) (--generate)";
  };
  if (!device.blankPages.empty() && *device.blankPages.rbegin() > device.generatedPages) {
    return beyond("--blank", *device.blankPages.rbegin());
  }
  if (!device.barcodePages.empty() && device.barcodePages.rbegin()->first > device.generatedPages) {
    return beyond("--barcode", device.barcodePages.rbegin()->first);
  }
  return {};
}

// The device's folder with its driver and scanner.ini, then the registry key.
// saveSettings writes the device INI into the folder.
template <typename SaveSettings>
Outcome registerDevice(const std::string& deviceId, const std::string& model, const std::string& vendor,
                       const std::string& driverLibrary, const char* driverName, SaveSettings saveSettings) {
  if (const std::string problem = checkDeviceId(deviceId); !problem.empty()) return failure(problem);
  if (const std::string problem = checkModelName(model); !problem.empty()) return failure(problem);
  if (!platform::fileExists(driverLibrary)) return failure("the driver " + driverLibrary + " does not exist");

  const std::string folder = platform::joinPath(devicesFolder(), deviceId);
  if (!platform::createFolderTree(folder)) return failure("cannot create the folder " + folder);
  // A device registered again may change its kind: what the other kind left
  // would name it otherwise. The driver is unlinked rather than overwritten,
  // since a running program may have the old file mapped.
  std::error_code ignored;
  for (const char* name : {virtualscanner::kDeviceIniName, sane::kSaneDeviceIniName, kVirtualDriverName, kSaneDriverName}) {
    fs::remove(fs::path(folder) / name, ignored);
  }
  const std::string driverPath = platform::joinPath(folder, driverName);
  std::error_code error;
  fs::copy_file(driverLibrary, driverPath, fs::copy_options::overwrite_existing, error);
  if (error) return failure("cannot copy the driver into " + folder + ": " + error.message());
  if (!platform::WritePrivateProfileString("DS", "SAVEPATH", folder + "/",
                                           platform::joinPath(folder, "scanner.ini"))) {
    return failure("cannot write " + folder + "/scanner.ini");
  }
  if (!saveSettings(folder)) return failure("cannot write the device settings in " + folder);

  const std::string keyPath = keyPathFor(deviceId);
  auto key = keyPath.empty() ? std::nullopt : RegistryKey::create(Hive::LocalMachine, keyPath);
  if (!key) return failure("cannot write the device's registry key");
  const bool written = key->setString("Vendor", vendor) && key->setString("DeviceID", deviceId) &&
                       key->setString("DriverDesc", model) && key->setString("DRIVERPATH", driverPath);
  if (!written) return failure("cannot write the device's registry values");
  return {true, "registered " + deviceId + " (" + model + ") at " + keyPath};
}

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

std::optional<ImagingDevice> registeredDevice(const std::string& deviceId) {
  for (ImagingDevice& device : listImagingDevices().devices) {
    if (device.deviceId == deviceId) return std::move(device);
  }
  return std::nullopt;
}

Outcome addVirtualDevice(const std::string& deviceId, const virtualscanner::VirtualDevice& device,
                         const std::string& driverLibrary) {
  if (const std::string problem = checkPageStack(device); !problem.empty()) return failure(problem);
  virtualscanner::VirtualDevice stored = device;
  if (!stored.pagesFolder.empty()) {
    std::error_code error;
    const fs::path absolute = fs::absolute(stored.pagesFolder, error);
    if (!error) stored.pagesFolder = absolute.lexically_normal().string();
  }
  return registerDevice(deviceId, device.model, device.vendor, driverLibrary, kVirtualDriverName,
                        [&](const std::string& folder) {
                          return stored.save(platform::joinPath(folder, virtualscanner::kDeviceIniName));
                        });
}

Outcome addSaneDevice(const std::string& deviceId, sane::SaneDeviceSettings device, const std::string& driverLibrary) {
  if (const std::string problem = checkDeviceId(deviceId); !problem.empty()) return failure(problem);
  std::string error;
  // Held open while the list is read, so SANE is not ended and started again.
  const auto opened = sane::SaneDevice::open(device.saneName, &error);
  if (!opened) return failure(error);
  if (device.model.empty()) {
    for (const sane::DeviceEntry& entry : sane::listDevices(nullptr).value_or(std::vector<sane::DeviceEntry>{})) {
      if (entry.name == device.saneName) device.model = platform::truncateChars(entry.model, kModelNameMax);
    }
    if (device.model.empty()) device.model = platform::truncateChars(device.saneName, kModelNameMax);
  }
  return registerDevice(deviceId, device.model, device.vendor, driverLibrary, kSaneDriverName,
                        [&](const std::string& folder) {
                          return device.save(platform::joinPath(folder, sane::kSaneDeviceIniName));
                        });
}

std::optional<std::vector<Outcome>> addNewSaneDevices(const std::string& driverLibrary, std::string* error) {
  const auto found = sane::listDevices(error);
  if (!found) return std::nullopt;
  std::set<std::string> known;
  std::set<std::string> taken;
  std::set<std::string> models;
  for (const ImagingDevice& device : listImagingDevices().devices) {
    taken.insert(device.deviceId);
    models.insert(device.description);
    if (device.driverPath.empty()) continue;
    if (const auto settings = sane::SaneDeviceSettings::load(sane::saneIniBeside(device.driverPath))) {
      known.insert(settings->saneName);
    }
  }
  std::vector<Outcome> outcomes;
  for (const sane::DeviceEntry& entry : *found) {
    if (known.count(entry.name)) continue;
    std::string base = entry.name;  // "fujitsu:libusb:002:004"
    for (char& c : base) {
      if (c == '/' || c == ' ' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '_';
    }
    if (base.empty() || base == "." || base == "..") base = "sane";
    base = base.substr(0, 190);
    std::string deviceId = base;
    for (int n = 2; taken.count(deviceId); ++n) deviceId = base + "-" + std::to_string(n);
    // The model names the scanner's manager and folder: two scanners of one
    // model need two names.
    const std::string model = platform::truncateChars(entry.model.empty() ? entry.name : entry.model, kModelNameMax);
    sane::SaneDeviceSettings settings;
    settings.saneName = entry.name;
    settings.model = model;
    for (int n = 2; models.count(settings.model); ++n) {
      const std::string suffix = " " + std::to_string(n);
      settings.model = platform::truncateChars(model, kModelNameMax - suffix.size()) + suffix;
    }
    Outcome outcome = addSaneDevice(deviceId, settings, driverLibrary);
    if (outcome.ok) {
      taken.insert(deviceId);
      models.insert(settings.model);
    }
    outcomes.push_back(std::move(outcome));
  }
  return outcomes;
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

std::string deviceKind(const ImagingDevice& device) {
  if (device.driverPath.empty()) return "other";
  if (platform::fileExists(virtualscanner::deviceIniBeside(device.driverPath))) return "virtual";
  if (const auto settings = sane::SaneDeviceSettings::load(sane::saneIniBeside(device.driverPath))) {
    return "SANE " + settings->saneName;
  }
  return "other";
}

}  // namespace ostrel::devicetool
