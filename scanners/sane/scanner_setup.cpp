#include "scanners/sane/scanner_setup.h"

#include <sane/saneopts.h>

#include <cmath>

namespace ostrel::sane {

namespace {

constexpr std::string_view kSource = SANE_NAME_SCAN_SOURCE;
constexpr std::string_view kMode = SANE_NAME_SCAN_MODE;
constexpr std::string_view kDepth = SANE_NAME_BIT_DEPTH;
constexpr std::string_view kResolution = SANE_NAME_SCAN_RESOLUTION;
constexpr std::string_view kLeft = SANE_NAME_SCAN_TL_X;
constexpr std::string_view kTop = SANE_NAME_SCAN_TL_Y;
constexpr std::string_view kRight = SANE_NAME_SCAN_BR_X;
constexpr std::string_view kBottom = SANE_NAME_SCAN_BR_Y;

bool inMillimetres(const OptionDescription* option) {
  return option && option->unit == OptionUnit::Millimetre &&
         (option->type == OptionType::Fixed || option->type == OptionType::Int);
}

AreaSize largestArea(const std::vector<OptionDescription>& options) {
  AreaSize size;
  const OptionDescription* right = findOption(options, kRight);
  const OptionDescription* bottom = findOption(options, kBottom);
  if (inMillimetres(right)) size.width = largestNumber(*right).value_or(0);
  if (inMillimetres(bottom)) size.length = largestNumber(*bottom).value_or(0);
  return size;
}

class Setter {
 public:
  Setter(OptionAccess& device, AppliedScan& applied) : device_(device), applied_(applied) {}

  void operator()(std::string_view name, const std::optional<OptionValue>& value) {
    if (!value) return;
    std::string error;
    if (!device_.set(name, *value, &error)) {
      applied_.problems.push_back(std::string(name) + "=" + valueText(*value) + " refused: " + error);
    }
  }

 private:
  OptionAccess& device_;
  AppliedScan& applied_;
};

void setArea(OptionAccess& device, const ScanRequest& request, AppliedScan& applied) {
  const auto options = device.options();
  const OptionDescription* left = findOption(options, kLeft);
  const OptionDescription* top = findOption(options, kTop);
  const OptionDescription* right = findOption(options, kRight);
  const OptionDescription* bottom = findOption(options, kBottom);
  if (!inMillimetres(left) || !inMillimetres(top) || !inMillimetres(right) || !inMillimetres(bottom)) {
    if (request.area) applied.problems.push_back("the scanner has no scan area in millimetres: its own area applies");
    return;
  }
  const AreaMm area = request.area.value_or(AreaMm{left->range ? left->range->min : 0, top->range ? top->range->min : 0,
                                                   largestNumber(*right).value_or(0),
                                                   largestNumber(*bottom).value_or(0)});
  Setter set(device, applied);
  // The top left corner goes to its least first, so no step of the way has a
  // corner beyond the opposite one.
  set(kLeft, chooseNumber(*left, 0));
  set(kTop, chooseNumber(*top, 0));
  set(kRight, chooseNumber(*right, area.right));
  set(kBottom, chooseNumber(*bottom, area.bottom));
  set(kLeft, chooseNumber(*left, area.left));
  set(kTop, chooseNumber(*top, area.top));
}

}  // namespace

int threeHundredths(double millimetres) { return static_cast<int>(std::lround(millimetres / 25.4 * 300)); }

DeviceAbilities readAbilities(OptionAccess& device) {
  DeviceAbilities abilities;
  const auto options = device.options();
  for (const OptionDescription& option : options) {
    if (isDoubleFeedOption(option.name) && option.settable) abilities.doubleFeedDetection = true;
  }
  const OptionDescription* source = findOption(options, kSource);
  const SourceOffer offer = sourcesOffered(source);
  abilities.flatbed = offer.flatbed;
  abilities.feeder = offer.feeder;
  abilities.duplex = offer.duplex;
  if (!source || source->strings.empty()) {
    abilities.flatbedArea = largestArea(options);
    return abilities;
  }
  const OptionDescription sources = *source;
  const auto areaWith = [&](const std::optional<std::string>& value) {
    if (!value || !device.set(kSource, *value, nullptr)) return largestArea(options);
    return largestArea(device.options());
  };
  if (offer.flatbed) abilities.flatbedArea = areaWith(chooseSource(sources, PaperSource::Flatbed));
  if (offer.feeder) {
    auto feeder = chooseSource(sources, PaperSource::Feeder);
    abilities.feederArea = areaWith(feeder ? feeder : chooseSource(sources, PaperSource::DuplexFeeder));
  }
  return abilities;
}

AppliedScan applyRequest(OptionAccess& device, const ScanRequest& request) {
  AppliedScan applied;
  Setter set(device, applied);

  auto options = device.options();
  if (const OptionDescription* source = findOption(options, kSource)) {
    const auto chosen = chooseSource(*source, request.source);
    if (!chosen) applied.problems.push_back("the scanner offers no source for this scan: its own source applies");
    set(kSource, chosen);
  }

  options = device.options();
  bool lineart = false;
  bool grey = false;
  if (const OptionDescription* mode = findOption(options, kMode)) {
    const auto chosen = chooseMode(*mode, request.kind);
    if (chosen) {
      lineart = isLineartMode(*chosen);
      grey = !lineart && chooseMode(*mode, PixelKind::Grey) == chosen;
    }
    set(kMode, chosen);
  }

  // Black and white through a grey mode is grey at 1 bit; a lineart mode
  // keeps its own depth.
  options = device.options();
  if (const OptionDescription* depth = findOption(options, kDepth); depth && depth->settable && !lineart) {
    set(kDepth, chooseDepth(*depth, request.kind == PixelKind::BlackWhite && grey ? 1 : 8));
  }

  options = device.options();
  if (const OptionDescription* resolution = findOption(options, kResolution)) {
    set(kResolution, chooseNumber(*resolution, request.resolution));
  }

  setArea(device, request, applied);

  std::vector<std::string> doubleFeed;
  if (request.doubleFeedDetection) {
    for (const OptionDescription& option : device.options()) {
      if (!option.active || !isDoubleFeedOption(option.name)) continue;
      set(option.name, chooseDoubleFeed(option, *request.doubleFeedDetection));
      doubleFeed.push_back(option.name);
    }
  }

  std::vector<std::string_view> shown{kSource, kMode, kDepth, kResolution, kLeft, kTop, kRight, kBottom};
  for (const std::string& name : doubleFeed) shown.push_back(name);
  for (std::string_view name : shown) {
    if (const auto value = device.value(name)) applied.settings.push_back(std::string(name) + "=" + valueText(*value));
  }
  const auto resolution = device.value(kResolution);
  applied.resolution = resolution && std::holds_alternative<double>(*resolution) ? std::get<double>(*resolution)
                                                                                  : request.resolution;
  return applied;
}

}  // namespace ostrel::sane
