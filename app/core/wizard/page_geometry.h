#pragma once
// The page area fields of the scan settings page: a length held in 1/300 inch
// is shown and typed in inches, pixels at the page's resolution, or
// millimetres, and each conversion truncates as the stored profile expects.
#include <optional>
#include <string>
#include <string_view>

#include "app/scan/scanner_config.h"

namespace ostrel::wizard {

enum class Unit { Inch = 0, Pixel = 1, Millimetre = 2 };

inline constexpr int kMinResolution = 100;
inline constexpr int kMaxResolution = 600;

// Any unit index outside 0..2 is millimetres, as the page reads its labels.
Unit unitFromIndex(int index);

// The resolution every pixel conversion divides by: the number the text starts
// with, brought into 100..600. An empty, zero or out-of-range field (the user
// is still typing) never reaches a division.
int clampResolution(int dpi);
int resolutionFromText(std::string_view text);

// Leading number of a field's text as C's atof/atoi read it: 0 for "AUTO",
// an empty text or garbage.
double numberFromText(std::string_view text);
int integerFromText(std::string_view text);

// Truncation toward zero that does not lose a whole step to binary floating
// error ("2.30" x 100 is 229.99999999999997 in doubles, and the user typed 230).
int truncated(double value);

// 1/300 inch as the field shows it: inch "%.2f", pixel "%d" of value x dpi / 300
// in integers, millimetre "%.1f".
std::string formatLength(int length300, Unit unit, int resolution);
// A field's text back to 1/300 inch, truncated: inch x 300, pixel: the integer
// value x 300 / dpi, millimetre x 300 / 25.4. "AUTO" and empty read as 0.
int parseLength(std::string_view text, Unit unit, int resolution);

// The four page fields, in 1/300 inch.
struct PageArea {
  int width = 0;
  int height = 0;
  int xOffset = 0;
  int yOffset = 0;
  bool operator==(const PageArea&) const = default;
};

// The area a fixed paper size (index 2 to 18) scans: index 2 the scanner's
// largest, else the table's size; on a feeder the sheet is centred, its offset
// never negative (a sheet wider than the scanner starts at its left edge).
PageArea fixedPaperArea(int paperIndex, const ScannerConfig& scanner);

// What "Custom" fills empty fields with: offsets 0 and the scanner's largest
// size. In pixels these two are written "%.2f" (dpi x largest / 300).
struct CustomFill {
  std::string width, height, xOffset, yOffset;
};
CustomFill customFill(const ScannerConfig& scanner, Unit unit, int resolution);

enum class Field { Width, Height, XOffset, YOffset };

// A page field leaving the focus while the paper is "Custom": the text that
// replaces it, or nullopt to keep it. Empty turns into the field's zero; a width
// or height above the scanner's largest becomes that largest.
std::optional<std::string> fieldOnLeave(Field field, std::string_view text, Unit unit, int resolution,
                                        const ScannerConfig& scanner);

// Brightness and contrast leaving the focus: empty is "0", beyond +-100 the bound.
std::optional<std::string> toneFieldOnLeave(std::string_view text);

// Gamma: position 220 shows "2.20"; the field is stored back as x 100.
std::string formatGamma(int gamma);
int gammaFromText(std::string_view text);

}  // namespace ostrel::wizard
