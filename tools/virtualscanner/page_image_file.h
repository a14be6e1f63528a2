#pragma once
// Page images the virtual feeder reads from a folder: PNG, TIFF, JPEG, BMP and
// PBM/PGM/PPM files, read with FreeImage into 24-bit pages.
#include <optional>
#include <string>
#include <string_view>

#include "app/output/dib.h"

namespace ostrel::virtualscanner {

// A sheet as it lies on the scanner: its pixels and the resolution they were
// drawn at, which gives its physical size.
struct SourcePage {
  Dib image;  // 24 bits per pixel
  double xDpi = 300;
  double yDpi = 300;
};

// True for the file name extensions the feeder takes.
bool isPageImageName(std::string_view fileName);

// Files that record no resolution of at least this many dots per inch (many
// formats default to 72) are taken to be drawn at 300.
inline constexpr double kMinimumRecordedDpi = 100;

std::optional<SourcePage> readPageImage(const std::string& path, std::string* error);

}  // namespace ostrel::virtualscanner
