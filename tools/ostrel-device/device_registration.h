#pragma once
// Registering virtual scanners: the imaging-device key in the registry store,
// and the device's folder under "$APPDATA/Ostrel/devices/<id>/" with a copy of
// the virtual driver library, the driver's scanner.ini and the device INI.
#include <string>
#include <vector>

#include "app/scan/imaging_devices.h"
#include "tools/virtualscanner/virtual_device.h"

namespace ostrel::devicetool {

struct Outcome {
  bool ok = false;
  std::string message;  // what was done, or why nothing was
};

// The folder that holds one folder per virtual device.
std::string devicesFolder();

// Empty when the identifier can name a device and its folder, else the reason.
std::string checkDeviceId(const std::string& deviceId);

// Adds the device, or updates the one registered under the same identifier.
// driverLibrary is the virtual driver to copy into the device's folder.
Outcome addVirtualDevice(const std::string& deviceId, const virtualscanner::VirtualDevice& device,
                         const std::string& driverLibrary);

// Removes the device's key; its folder too when it lies in devicesFolder().
Outcome removeDevice(const std::string& deviceId);

std::vector<ImagingDevice> registeredDevices();

}  // namespace ostrel::devicetool
