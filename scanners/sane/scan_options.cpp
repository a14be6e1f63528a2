#include "scanners/sane/scan_options.h"

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "platform/text.h"

namespace ostrel::sane {

namespace {

bool containsAny(std::string_view text, std::initializer_list<std::string_view> words) {
  const std::string lower = platform::asciiLowerCopy(text);
  for (std::string_view word : words) {
    if (lower.find(word) != std::string::npos) return true;
  }
  return false;
}

bool isDuplexSource(std::string_view value) { return containsAny(value, {"duplex"}); }
bool isFeederSource(std::string_view value) {
  return containsAny(value, {"adf", "feeder", "automatic document"});
}
// "ADF Back" scans the back of each sheet only.
bool isBackOnlySource(std::string_view value) { return isFeederSource(value) && containsAny(value, {"back", "rear"}); }
bool isFlatbedSource(std::string_view value) {
  return containsAny(value, {"flatbed", "document table", "platen", "glass"});
}

bool isGreyMode(std::string_view mode) { return containsAny(mode, {"gray", "grey"}) && !containsAny(mode, {"colo"}); }
bool isColourMode(std::string_view mode) { return containsAny(mode, {"color", "colour"}); }

std::optional<std::string> firstString(const OptionDescription& option, bool (*fits)(std::string_view)) {
  for (const std::string& value : option.strings) {
    if (fits(value)) return value;
  }
  return std::nullopt;
}

}  // namespace

std::string valueText(const OptionValue& value) {
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "yes" : "no";
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  char number[32];
  std::snprintf(number, sizeof number, "%g", std::get<double>(value));
  return number;
}

const OptionDescription* findOption(const std::vector<OptionDescription>& options, std::string_view name) {
  for (const OptionDescription& option : options) {
    if (option.active && option.name == name) return &option;
  }
  return nullptr;
}

SourceOffer sourcesOffered(const OptionDescription* source) {
  SourceOffer offer;
  if (!source || source->strings.empty()) {
    offer.flatbed = true;
    return offer;
  }
  for (const std::string& value : source->strings) {
    if (isDuplexSource(value)) {
      offer.duplex = offer.feeder = true;
    } else if (isFeederSource(value)) {
      offer.feeder = true;
    } else if (isFlatbedSource(value)) {
      offer.flatbed = true;
    }
  }
  return offer;
}

std::optional<std::string> chooseSource(const OptionDescription& source, PaperSource wanted) {
  const auto simplexFeeder = [](std::string_view value) {
    return isFeederSource(value) && !isDuplexSource(value) && !isBackOnlySource(value);
  };
  switch (wanted) {
    case PaperSource::Flatbed: return firstString(source, isFlatbedSource);
    case PaperSource::DuplexFeeder:
      if (auto duplex = firstString(source, isDuplexSource)) return duplex;
      [[fallthrough]];
    case PaperSource::Feeder: return firstString(source, simplexFeeder);
  }
  return std::nullopt;
}

bool isLineartMode(std::string_view mode) {
  return containsAny(mode, {"lineart", "binary", "black", "monochrome", "threshold"}) && !isGreyMode(mode);
}

std::optional<std::string> chooseMode(const OptionDescription& mode, PixelKind kind) {
  switch (kind) {
    case PixelKind::BlackWhite:
      if (auto lineart = firstString(mode, [](std::string_view m) { return isLineartMode(m) && !isColourMode(m); })) {
        return lineart;
      }
      [[fallthrough]];
    case PixelKind::Grey:
      if (auto grey = firstString(mode, isGreyMode)) return grey;
      return firstString(mode, isColourMode);
    case PixelKind::Colour:
      if (auto colour = firstString(mode, isColourMode)) return colour;
      return firstString(mode, isGreyMode);
  }
  return std::nullopt;
}

std::optional<double> chooseDepth(const OptionDescription& depth, int wanted) {
  const auto allows = [&](double value) {
    if (!depth.numbers.empty()) {
      for (double allowed : depth.numbers) {
        if (allowed == value) return true;
      }
      return false;
    }
    if (depth.range) return value >= depth.range->min && value <= depth.range->max;
    return true;
  };
  for (double value : {static_cast<double>(wanted), 8.0, 16.0}) {
    if (allows(value)) return value;
  }
  return std::nullopt;
}

std::optional<double> chooseNumber(const OptionDescription& option, double wanted) {
  if (option.type != OptionType::Int && option.type != OptionType::Fixed) return std::nullopt;
  if (!option.numbers.empty()) {
    double best = option.numbers.front();
    for (double allowed : option.numbers) {
      if (std::fabs(allowed - wanted) < std::fabs(best - wanted)) best = allowed;
    }
    return best;
  }
  if (!option.range) return wanted;
  const OptionRange& range = *option.range;
  double value = std::fmin(std::fmax(wanted, range.min), range.max);
  if (range.quant > 0) {
    value = range.min + std::round((value - range.min) / range.quant) * range.quant;
    if (value > range.max) value -= range.quant;
  }
  return value;
}

std::optional<double> largestNumber(const OptionDescription& option) {
  if (!option.numbers.empty()) {
    double largest = option.numbers.front();
    for (double allowed : option.numbers) largest = std::fmax(largest, allowed);
    return largest;
  }
  if (option.range) return option.range->max;
  return std::nullopt;
}

bool isDoubleFeedOption(std::string_view name) {
  return containsAny(name, {"double-feed", "doublefeed", "double_feed", "multifeed", "multi-feed", "df-thickness",
                            "df-length", "df-action", "ultrasonic"});
}

std::optional<OptionValue> chooseDoubleFeed(const OptionDescription& option, bool on) {
  if (!option.settable || option.valueCount != 1) return std::nullopt;
  if (option.type == OptionType::Bool) return OptionValue{on};
  if (option.type != OptionType::String) return std::nullopt;
  const auto pick = [&](std::initializer_list<std::string_view> words) -> std::optional<OptionValue> {
    for (std::string_view word : words) {
      for (const std::string& value : option.strings) {
        if (platform::equalsNoCase(value, word)) return OptionValue{value};
      }
    }
    return std::nullopt;
  };
  return on ? pick({"Stop", "On", "Enable", "Enabled", "Yes"})
            : pick({"Off", "Disable", "Disabled", "None", "No", "Continue", "Default"});
}

}  // namespace ostrel::sane
