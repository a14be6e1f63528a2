#pragma once
// A page image as a BMP file: the 14-byte file header, then the bitmap's
// information header, colour table and rows as they are.
#include <string>

#include "imaging/dib.h"

namespace ostrel {

// False (and no file) when the file cannot be created or written.
bool writeBitmapFile(const Dib& image, const std::string& path);

}  // namespace ostrel
