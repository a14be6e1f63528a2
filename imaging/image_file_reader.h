#pragma once
// Page images from image files (PNG, TIFF, JPEG, BMP, PBM, PGM, PPM and the
// other formats FreeImage reads), for a virtual scanner's folder of pages and
// for tests.
#include <optional>
#include <string>

#include "imaging/dib.h"

namespace ostrel {

// The image at 1, 8 or 24 bits per pixel with its recorded resolution, or
// nullopt with the reason in *error. 16-bit grey images keep their high byte;
// 16-bit-per-channel colour images and every other depth become 24 bits.
std::optional<Dib> readImageFile(const std::string& path, std::string* error = nullptr);

}  // namespace ostrel
