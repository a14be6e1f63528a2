#include "app/core/wizard/page_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/core/configuration/easy_configuration.h"

namespace ostrel::wizard {

namespace {

constexpr double kMillimetresPerInch = 25.4;

std::string printf2(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

Unit unitFromIndex(int index) {
  if (index == 0) return Unit::Inch;
  if (index == 1) return Unit::Pixel;
  return Unit::Millimetre;
}

int clampResolution(int dpi) { return std::clamp(dpi, kMinResolution, kMaxResolution); }

int resolutionFromText(std::string_view text) { return clampResolution(integerFromText(text)); }

double numberFromText(std::string_view text) {
  const std::string copy(text);
  return std::atof(copy.c_str());
}

int integerFromText(std::string_view text) {
  const std::string copy(text);
  const long value = std::strtol(copy.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, -1'000'000'000L, 1'000'000'000L));
}

int truncated(double value) {
  constexpr double kSlack = 1e-7;
  if (!std::isfinite(value)) return 0;
  const double nudged = value >= 0 ? value + kSlack : value - kSlack;
  return static_cast<int>(std::clamp(std::trunc(nudged), -1e9, 1e9));
}

std::string formatLength(int length300, Unit unit, int resolution) {
  switch (unit) {
    case Unit::Inch:
      return printf2("%.2f", length300 / 300.0);
    case Unit::Pixel:
      return std::to_string(static_cast<long long>(length300) * clampResolution(resolution) / 300);
    case Unit::Millimetre:
      return printf2("%.1f", length300 * kMillimetresPerInch / 300.0);
  }
  return {};
}

int parseLength(std::string_view text, Unit unit, int resolution) {
  switch (unit) {
    case Unit::Inch:
      return truncated(numberFromText(text) * 300.0);
    case Unit::Pixel: {
      const long long pixels = integerFromText(text);
      return static_cast<int>(pixels * 300 / clampResolution(resolution));
    }
    case Unit::Millimetre:
      return truncated(numberFromText(text) * 300.0 / kMillimetresPerInch);
  }
  return 0;
}

PageArea fixedPaperArea(int paperIndex, const ScannerConfig& scanner) {
  // The easy dialog's Apply stores the same geometry: one rule for both.
  CScanSetting scratch;
  scratch.width = scratch.height = scratch.xOffset = scratch.yOffset = 0;
  applyPaperSize(scratch, paperIndex, {scanner.hasFeeder, scanner.hasDuplex, scanner.maxWidth, scanner.maxLength});
  return {scratch.width, scratch.height, scratch.xOffset, scratch.yOffset};
}

CustomFill customFill(const ScannerConfig& scanner, Unit unit, int resolution) {
  CustomFill fill;
  fill.xOffset = formatLength(0, unit, resolution);
  fill.yOffset = fill.xOffset;
  if (unit == Unit::Pixel) {
    const int dpi = clampResolution(resolution);
    fill.width = printf2("%.2f", dpi * static_cast<double>(scanner.maxWidth) / 300.0);
    fill.height = printf2("%.2f", dpi * static_cast<double>(scanner.maxLength) / 300.0);
  } else {
    fill.width = formatLength(scanner.maxWidth, unit, resolution);
    fill.height = formatLength(scanner.maxLength, unit, resolution);
  }
  return fill;
}

std::optional<std::string> fieldOnLeave(Field field, std::string_view text, Unit unit, int resolution,
                                        const ScannerConfig& scanner) {
  if (field == Field::XOffset || field == Field::YOffset) {
    if (text.empty()) return "0.00";
    return std::nullopt;
  }
  if (text.empty()) {
    if (unit == Unit::Inch) return "0.00";
    if (unit == Unit::Pixel) return "0";
    return field == Field::Width ? "0.0" : "0";
  }
  const int largest = field == Field::Width ? scanner.maxWidth : scanner.maxLength;
  if (parseLength(text, unit, resolution) <= largest) return std::nullopt;
  switch (unit) {
    case Unit::Inch:
      return printf2("%.2f", largest / 300.0);
    case Unit::Pixel:
      return printf2("%.2f", largest * static_cast<double>(clampResolution(resolution)) / 300.0);
    case Unit::Millimetre:
      return printf2("%.1f", largest * kMillimetresPerInch / 300.0);
  }
  return std::nullopt;
}

std::optional<std::string> toneFieldOnLeave(std::string_view text) {
  if (text.empty()) return "0";
  const int value = integerFromText(text);
  if (value > 100) return "100";
  if (value < -100) return "-100";
  return std::nullopt;
}

std::string formatGamma(int gamma) { return printf2("%.2f", gamma / 100.0); }

int gammaFromText(std::string_view text) { return truncated(numberFromText(text) * 100.0); }

}  // namespace ostrel::wizard
