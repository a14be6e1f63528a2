#pragma once
// Setting a scanner up: what its options say it can do (sources, largest
// areas, double-feed detection), and a scan request turned into option values
// in the order backends expect (source first, since it can change the ranges
// of the rest; the mode before the depth; the area last).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scanners/sane/scan_options.h"

namespace ostrel::sane {

// A device's options, read and set by name. SaneDevice is the real one.
class OptionAccess {
 public:
  virtual ~OptionAccess() = default;
  virtual std::vector<OptionDescription> options() const = 0;
  // False with the reason when the device refuses; a value it rounds is what
  // value() then reads.
  virtual bool set(std::string_view name, const OptionValue& value, std::string* error) = 0;
  virtual std::optional<OptionValue> value(std::string_view name) const = 0;
};

// Millimetres in 1/300 inch, the unit of page geometry.
int threeHundredths(double millimetres);

// Sizes in millimetres.
struct AreaSize {
  double width = 0, length = 0;
};

struct DeviceAbilities {
  bool flatbed = false;
  bool feeder = false;
  bool duplex = false;
  bool doubleFeedDetection = false;
  AreaSize flatbedArea;
  AreaSize feederArea;
};

// Reads the largest area once for each kind of source, since backends give a
// feeder a longer area than the glass; the source option is left on the last
// source looked at.
DeviceAbilities readAbilities(OptionAccess& device);

// A scan area in millimetres from the scan area's top left corner.
struct AreaMm {
  double left = 0, top = 0, right = 0, bottom = 0;
};

struct ScanRequest {
  PixelKind kind = PixelKind::Colour;
  double resolution = 200;
  std::optional<AreaMm> area;  // none: the largest area
  PaperSource source = PaperSource::Feeder;
  std::optional<bool> doubleFeedDetection;  // none: the device's own setting
};

struct AppliedScan {
  double resolution = 0;              // what the device will scan at
  std::vector<std::string> settings;  // "name=value" as the device holds them
  std::vector<std::string> problems;  // what could not be set, and why
};

AppliedScan applyRequest(OptionAccess& device, const ScanRequest& request);

}  // namespace ostrel::sane
