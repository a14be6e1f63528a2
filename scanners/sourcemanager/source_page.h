#pragma once
// A sheet in the virtual feeder: its pixels and the resolution they are drawn
// at, which gives its physical size.
#include <optional>
#include <string>
#include <string_view>

#include "imaging/dib.h"

namespace ostrel::virtualscanner {

struct SourcePage {
  Dib image;  // 24 bits per pixel
  Dib grey;   // the same in 8-bit grey, worked out once for grey and black-and-white scans
  double xDpi = 300;
  double yDpi = 300;
};

// The sheet of a 24-bit image drawn at the given resolution.
SourcePage makeSheet(Dib colour, double xDpi, double yDpi);

// True for the file name extensions the feeder takes: PNG, TIFF, JPEG, BMP,
// PBM, PGM, PPM.
bool isPageImageName(std::string_view fileName);

// Files that record no resolution of at least this many dots per inch (many
// formats default to 72) are taken to be drawn at 300.
inline constexpr double kMinimumRecordedDpi = 100;

// A page image at any depth as a 24-bit sheet at its recorded resolution.
SourcePage sheetFromImage(const Dib& image);

std::optional<SourcePage> readPageImage(const std::string& path, std::string* error);

}  // namespace ostrel::virtualscanner
