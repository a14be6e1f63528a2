// ostrel-device: registers virtual scanners and scanners reached through SANE
// for the demo, the tests and users.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/environment.h"
#include "platform/manager_channel.h"
#include "platform/text.h"
#include "scanners/ostrel-device/device_registration.h"
#include "scanners/protocol/button_map.h"
#include "scanners/sane/button_sensors.h"
#include "scanners/sane/sane_device.h"

namespace {

using ostrel::devicetool::Outcome;
using ostrel::virtualscanner::VirtualDevice;

constexpr const char* kUsage =
    "usage:\n"
    "  ostrel-device add-virtual DEVICE_ID MODEL [--replace] [--vendor NAME] [--duplex] [--flatbed]\n"
    "                [--no-feeder] [--ultrasonic] [--pages FOLDER]\n"
    "                [--generate COUNT] [--blank PAGE,PAGE...] [--barcode PAGE=TEXT]... [--seed N]\n"
    "                [--feeder-size WIDTHxLENGTH] [--flatbed-size WIDTHxLENGTH]\n"
    "  ostrel-device add-sane DEVICE_ID SANE_NAME [--replace] [--model MODEL] [--vendor NAME]\n"
    "  ostrel-device sane-list\n"
    "  ostrel-device sensors DEVICE_ID [--map SENSOR=BUTTON]... [--source poll|scanbd|none]\n"
    "  ostrel-device scanbd-event SANE_NAME SENSOR\n"
    "  ostrel-device add-new-sane\n"
    "  ostrel-device list\n"
    "  ostrel-device remove DEVICE_ID\n"
    "Sizes are in 1/300 inch (defaults: feeder 2592x4200, flatbed 2550x3508).\n"
    "A DEVICE_ID that is already registered is refused unless --replace is given.\n"
    "With --pages the feeder holds the image files of FOLDER, which must exist. Without\n"
    "it the feeder holds COUNT generated Letter pages (page numbers from 1): text-like\n"
    "pages, the --blank ones blank with scanner noise and dust, the --barcode ones\n"
    "carrying a Code 128 barcode with TEXT; --blank and --barcode pages must lie within\n"
    "COUNT. With --duplex the stack holds sides, front and back in turn; a one-sided\n"
    "scan takes only the fronts.\n"
    "add-sane registers the SANE device SANE_NAME (see sane-list) once SANE opens it;\n"
    "add-new-sane registers every SANE device that no registered device names yet, each\n"
    "under an identifier made from its SANE name, with the model SANE reports.\n"
    "MODEL defaults to the model SANE reports, NAME to Norvane. Models have at most\n"
    "19 characters and no line breaks or other control characters. list shows each\n"
    "device's kind: virtual, SANE and its device, or other.\n"
    "sensors shows the button sensors of a SANE scanner, their values and the button\n"
    "each stands for, and where its presses come from: poll (its manager reads the\n"
    "sensors), scanbd, or none. --map sets a sensor's button: 1 to 9, value (a number\n"
    "sensor's value is the button) or none; --source sets where presses come from.\n"
    "The sensors cannot be read while a manager or scanbd holds the scanner.\n"
    "scanbd-event prints DEVICE_ID BUTTON STATE_FILE for scanbd's action script: the\n"
    "device registered for SANE_NAME, the button its SENSOR stands for and the file\n"
    "where its manager shows its state.\n";

int usage(const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "ostrel-device: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return 2;
}

int report(const Outcome& outcome) {
  std::fprintf(outcome.ok ? stdout : stderr, "%s%s\n", outcome.ok ? "" : "ostrel-device: ",
               outcome.message.c_str());
  return outcome.ok ? 0 : 1;
}

bool parsePositive(std::string_view text, int& value) {
  char tail = 0;
  int number = 0;
  if (std::sscanf(std::string(text).c_str(), "%d%c", &number, &tail) != 1 || number < 1) return false;
  value = number;
  return true;
}

bool parsePageList(std::string_view text, std::set<int>& pages) {
  while (!text.empty()) {
    const std::size_t comma = std::min(text.find(','), text.size());
    int page = 0;
    if (!parsePositive(text.substr(0, comma), page)) return false;
    pages.insert(page);
    text.remove_prefix(std::min(comma + 1, text.size()));
  }
  return true;
}

// A device already registered under the identifier is replaced only when asked.
std::optional<Outcome> refuseReplacing(std::string_view deviceId, bool replace) {
  if (replace) return std::nullopt;
  const auto existing = ostrel::devicetool::registeredDevice(std::string(deviceId));
  if (!existing) return std::nullopt;
  return Outcome{false, std::string(deviceId) + " is already registered (" + existing->description + ", " +
                            ostrel::devicetool::deviceKind(*existing) + "); add --replace to replace it"};
}

bool parseBarcode(std::string_view text, std::map<int, std::string>& barcodes) {
  const std::size_t equals = text.find('=');
  int page = 0;
  if (equals == std::string_view::npos || equals + 1 == text.size()) return false;
  if (!parsePositive(text.substr(0, equals), page)) return false;
  barcodes[page] = std::string(text.substr(equals + 1));
  return true;
}

bool parseSize(std::string_view text, int& width, int& length) {
  char tail = 0;
  int w = 0, l = 0;
  if (std::sscanf(std::string(text).c_str(), "%dx%d%c", &w, &l, &tail) != 2) return false;
  if (w < 0 || l < 0 || w > 0xFFFF || l > 0xFFFF) return false;
  width = w;
  length = l;
  return true;
}

int addVirtual(const std::vector<std::string_view>& args) {
  if (args.size() < 2) return usage("add-virtual needs DEVICE_ID and MODEL");
  VirtualDevice device;
  device.model = std::string(args[1]);
  device.flatbedWidth = 2550;
  device.flatbedLength = 3508;
  bool replace = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string_view option = args[i];
    const bool hasValue = i + 1 < args.size();
    if (option == "--replace") {
      replace = true;
    } else if (option == "--duplex") {
      device.duplex = true;
    } else if (option == "--flatbed") {
      device.flatbed = true;
    } else if (option == "--no-feeder") {
      device.feeder = false;
    } else if (option == "--ultrasonic") {
      device.ultrasonic = true;
    } else if (option == "--vendor" && hasValue) {
      device.vendor = std::string(args[++i]);
    } else if (option == "--pages" && hasValue) {
      device.pagesFolder = std::string(args[++i]);
    } else if (option == "--generate" && hasValue) {
      if (!parsePositive(args[++i], device.generatedPages)) return usage("bad --generate");
    } else if (option == "--blank" && hasValue) {
      if (!parsePageList(args[++i], device.blankPages)) return usage("bad --blank");
    } else if (option == "--barcode" && hasValue) {
      if (!parseBarcode(args[++i], device.barcodePages)) return usage("bad --barcode");
    } else if (option == "--seed" && hasValue) {
      int seed = 0;
      if (!parsePositive(args[++i], seed)) return usage("bad --seed");
      device.seed = static_cast<std::uint64_t>(seed);
    } else if (option == "--feeder-size" && hasValue) {
      if (!parseSize(args[++i], device.feederWidth, device.feederLength)) return usage("bad --feeder-size");
    } else if (option == "--flatbed-size" && hasValue) {
      if (!parseSize(args[++i], device.flatbedWidth, device.flatbedLength)) return usage("bad --flatbed-size");
    } else {
      return usage("unknown or incomplete option " + std::string(option));
    }
  }
  if (!device.feeder && !device.flatbed) return usage("a scanner needs a feeder or a flatbed");
  if (!device.pagesFolder.empty() && device.generatedPages > 0) return usage("--pages and --generate exclude each other");
  if (const auto refusal = refuseReplacing(args[0], replace)) return report(*refusal);
  const std::string driver = ostrel::platform::joinPath(ostrel::platform::programFolder(), "libnvdriver.so");
  return report(ostrel::devicetool::addVirtualDevice(std::string(args[0]), device, driver));
}

int addSane(const std::vector<std::string_view>& args) {
  if (args.size() < 2) return usage("add-sane needs DEVICE_ID and SANE_NAME");
  ostrel::sane::SaneDeviceSettings device;
  device.saneName = std::string(args[1]);
  bool replace = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string_view option = args[i];
    const bool hasValue = i + 1 < args.size();
    if (option == "--replace") {
      replace = true;
    } else if (option == "--model" && hasValue) {
      device.model = std::string(args[++i]);
      if (device.model.empty()) return usage("bad --model");
    } else if (option == "--vendor" && hasValue) {
      device.vendor = std::string(args[++i]);
    } else {
      return usage("unknown or incomplete option " + std::string(option));
    }
  }
  if (const auto refusal = refuseReplacing(args[0], replace)) return report(*refusal);
  const std::string driver = ostrel::platform::joinPath(ostrel::platform::programFolder(), "libsanedriver.so");
  return report(ostrel::devicetool::addSaneDevice(std::string(args[0]), device, driver));
}

int saneList() {
  std::string error;
  const auto devices = ostrel::sane::listDevices(&error);
  if (!devices) return report({false, error});
  if (devices->empty()) std::fputs("SANE finds no scanner.\n", stderr);
  for (const auto& device : *devices) {
    std::printf("%s\t%s\t%s\t%s\n", device.name.c_str(), device.vendor.c_str(), device.model.c_str(),
                device.type.c_str());
  }
  return 0;
}

// The SANE scanner registered as deviceId, with its settings.
std::optional<std::pair<ostrel::ImagingDevice, ostrel::sane::SaneDeviceSettings>> saneDevice(
    const std::string& deviceId, std::string& problem) {
  const auto device = ostrel::devicetool::registeredDevice(deviceId);
  if (!device) {
    problem = "no device is registered as " + deviceId;
    return std::nullopt;
  }
  const auto settings = ostrel::sane::SaneDeviceSettings::load(ostrel::sane::saneIniBeside(device->driverPath));
  if (!settings) {
    problem = deviceId + " is no SANE scanner";
    return std::nullopt;
  }
  return std::make_pair(*device, *settings);
}

int sensors(const std::vector<std::string_view>& args) {
  if (args.empty()) return usage("sensors needs DEVICE_ID");
  std::string problem;
  const auto found = saneDevice(std::string(args[0]), problem);
  if (!found) return report({false, problem});
  const std::string ini = ostrel::scannerIniBeside(found->first.driverPath);
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string_view option = args[i];
    if (option == "--map" && i + 1 < args.size()) {
      const std::string_view entry = args[++i];
      const std::size_t equals = entry.find('=');
      const auto button = equals == std::string_view::npos ? std::nullopt
                                                           : ostrel::parseSensorButton(entry.substr(equals + 1));
      if (!button || equals == 0) return usage("bad --map " + std::string(entry) + " (SENSOR=1..9, value or none)");
      if (!ostrel::saveSensorButton(ini, entry.substr(0, equals), *button)) return report({false, "cannot write " + ini});
    } else if (option == "--source" && i + 1 < args.size()) {
      const auto source = ostrel::parseButtonSource(args[++i]);
      if (!source) return usage("bad --source (poll, scanbd or none)");
      if (!ostrel::saveButtonSource(ini, *source)) return report({false, "cannot write " + ini});
    } else {
      return usage("unknown or incomplete option " + std::string(option));
    }
  }
  std::string problems;
  const ostrel::ButtonMap map = ostrel::ButtonMap::load(ini, &problems);
  if (!problems.empty()) std::fprintf(stderr, "ostrel-device: %s\n", problems.c_str());
  std::printf("button source: %s\n", ostrel::buttonSourceName(map.source).c_str());
  std::string error;
  const auto device = ostrel::sane::SaneDevice::open(found->second.saneName, &error);
  if (!device) {
    std::printf("the sensors cannot be read now: %s\n", error.c_str());
    return 0;
  }
  const auto options = ostrel::sane::findSensors(device->options());
  if (options.empty()) std::printf("the scanner shows no button sensors\n");
  const auto readings = ostrel::sane::readSensors(*device, options);
  for (const auto& reading : readings.value_or(std::vector<ostrel::sane::SensorReading>{})) {
    std::printf("%s\t%s\t%d\t%s\n", reading.name.c_str(), reading.isNumber ? "number" : "switch", reading.value,
                ostrel::sensorButtonText(map.buttonFor(reading.name)).c_str());
  }
  return 0;
}

// One line per scanner on standard output, failures included: the program's
// start at login logs them. Fails only when SANE cannot look.
int addNewSane() {
  std::string error;
  const std::string driver = ostrel::platform::joinPath(ostrel::platform::programFolder(), "libsanedriver.so");
  const auto outcomes = ostrel::devicetool::addNewSaneDevices(driver, &error);
  if (!outcomes) return report({false, error});
  for (const Outcome& outcome : *outcomes) {
    std::printf("%s%s\n", outcome.ok ? "" : "cannot register a SANE scanner: ", outcome.message.c_str());
  }
  return 0;
}

int scanbdEvent(const std::vector<std::string_view>& args) {
  for (const auto& device : ostrel::devicetool::registeredDevices()) {
    const auto settings = ostrel::sane::SaneDeviceSettings::load(ostrel::sane::saneIniBeside(device.driverPath));
    if (!settings || settings->saneName != args[0]) continue;
    const ostrel::ButtonMap map = ostrel::ButtonMap::load(ostrel::scannerIniBeside(device.driverPath));
    const int button = map.buttonFor(args[1]);
    if (button < 1) return report({false, "the sensor " + std::string(args[1]) + " of " + device.deviceId + " is no button"});
    std::printf("%s %d %s\n", device.deviceId.c_str(), button,
                ostrel::platform::managerStatePath(ostrel::platform::truncateChars(device.description, ostrel::kModelNameMax)).c_str());
    return 0;
  }
  return report({false, "no SANE scanner is registered as " + std::string(args[0])});
}

int list() {
  for (const auto& device : ostrel::devicetool::registeredDevices()) {
    std::printf("%s\t%s\t%s\t%s\t%s\n", device.deviceId.c_str(), device.description.c_str(),
                device.vendor.c_str(), ostrel::devicetool::deviceKind(device).c_str(), device.driverPath.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) return usage("");
  const std::string_view command = args.front();
  args.erase(args.begin());
  if (command == "add-virtual") return addVirtual(args);
  if (command == "add-sane") return addSane(args);
  if (command == "sane-list" && args.empty()) return saneList();
  if (command == "add-new-sane" && args.empty()) return addNewSane();
  if (command == "list" && args.empty()) return list();
  if (command == "sensors") return sensors(args);
  if (command == "scanbd-event" && args.size() == 2) return scanbdEvent(args);
  if (command == "remove" && args.size() == 1) return report(ostrel::devicetool::removeDevice(std::string(args[0])));
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  return usage("unknown command or wrong arguments");
}
