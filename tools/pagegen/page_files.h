#pragma once
// Pages to image files, for building test sets and feeding a virtual scanner
// from a folder (imaging/image_file_reader.h reads them back). The format
// follows the extension: ".png", ".tif" (1-bit pages with CCITT Group 4),
// ".bmp", ".jpg" (8- and 24-bit).
#include <string>

#include "imaging/dib.h"

namespace ostrel::pagegen {

// False when the file cannot be written.
bool savePage(const Dib& page, const std::string& path);

}  // namespace ostrel::pagegen
