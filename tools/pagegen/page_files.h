#pragma once
// Pages to and from image files, for building test sets and for feeding a
// virtual scanner from a folder. The format follows the extension: ".png",
// ".tif" (1-bit pages with CCITT Group 4), ".bmp".
#include <optional>
#include <string>

#include "app/output/dib.h"

namespace ostrel::pagegen {

// False when the file cannot be written.
bool savePage(const Dib& page, const std::string& path);

// The page at 1, 8 or 24 bits per pixel (other depths are converted to 24),
// or nullopt with the reason in *error.
std::optional<Dib> loadPage(const std::string& path, std::string* error = nullptr);

}  // namespace ostrel::pagegen
