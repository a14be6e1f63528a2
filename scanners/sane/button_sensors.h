#pragma once
// A scanner's buttons as SANE shows them: sensors, that is options set by hand
// on the scanner (hard-select) that software can only read. Backends name them
// freely ("scan", "email", "button-1") and give them as switches or as a
// number (a "function" knob, the number of the button pressed).
#include <optional>
#include <string>
#include <vector>

#include "scanners/sane/scanner_setup.h"

namespace ostrel::sane {

struct SensorReading {
  std::string name;
  bool isNumber = false;  // else a switch, 0 or 1
  int value = 0;
};

// The active sensors among the options, in the device's order: hard-select,
// not settable, one switch or whole number.
std::vector<OptionDescription> findSensors(const std::vector<OptionDescription>& options);

// Every sensor's value; nullopt when one cannot be read (the scanner is gone
// or refuses).
std::optional<std::vector<SensorReading>> readSensors(const OptionAccess& device,
                                                      const std::vector<OptionDescription>& sensors);

}  // namespace ostrel::sane
