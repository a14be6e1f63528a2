#pragma once
// File extensions by output format code.
#include <string>

namespace ostrel {

// ".bmp", ".jpg", ".gif", ".tif", ".pdf", ".txt", ".rtf", ".doc"; ".bmp" for an
// unknown code.
std::string extensionForFormat(int formatCode);

}  // namespace ostrel
