#pragma once
// Registering scanners: the imaging-device key in the registry store, and the
// device's folder under "$APPDATA/Ostrel/devices/<id>/" with a copy of its
// driver library (the virtual driver, or the SANE-backed one), the driver's
// scanner.ini and the device INI.
#include <optional>
#include <string>
#include <vector>

#include "scanners/protocol/imaging_devices.h"
#include "scanners/sane/sane_device_settings.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::devicetool {

struct Outcome {
  bool ok = false;
  std::string message;  // what was done, or why nothing was
};

// The folder that holds one folder per virtual device.
std::string devicesFolder();

// Empty when the identifier can name a device and its folder, else the reason.
std::string checkDeviceId(const std::string& deviceId);

// The device registered under the identifier, if any.
std::optional<ImagingDevice> registeredDevice(const std::string& deviceId);

// Adds the device, or updates the one registered under the same identifier.
// driverLibrary is the virtual driver to copy into the device's folder. A pages
// folder that does not exist, blank or barcode pages beyond the generated ones
// and a model with control characters are refused. A relative pages folder is stored as an absolute one: the scanner reads it from
// another working folder.
Outcome addVirtualDevice(const std::string& deviceId, const virtualscanner::VirtualDevice& device,
                         const std::string& driverLibrary);

// Adds a scanner reached through SANE, or updates the one registered under the
// same identifier, once SANE has opened it. An empty model takes the model
// SANE reports. driverLibrary is the SANE-backed driver to copy.
Outcome addSaneDevice(const std::string& deviceId, sane::SaneDeviceSettings device,
                      const std::string& driverLibrary);

// Registers every scanner SANE finds that no registered device names yet,
// under an identifier made from its SANE name (characters an identifier cannot
// hold become '_'; "-2", "-3", ... behind one already taken). One outcome per
// scanner; nullopt with the reason when SANE cannot look.
std::optional<std::vector<Outcome>> addNewSaneDevices(const std::string& driverLibrary, std::string* error);

// Removes the device's key; its folder too when it lies in devicesFolder().
Outcome removeDevice(const std::string& deviceId);

std::vector<ImagingDevice> registeredDevices();

// "virtual", "SANE <device name>", or "other" for a device this tool did not make.
std::string deviceKind(const ImagingDevice& device);

}  // namespace ostrel::devicetool
