#pragma once
// The per-scanner folder "%AppData%/Ostrel/<scanner>/": the scanner's profile
// files, its start-up marker, and the driver settings files when the driver
// names no folder of its own for them.
#include <string>
#include <string_view>

namespace ostrel {

// The scanner name as one folder level. Names come from the driver and may hold
// anything; '/' becomes '_', and a name that would mean this folder or its
// parent ("", ".", "..") gets a leading '_', so the folder stays inside Ostrel/.
std::string scannerFolderName(std::string_view scannerName);

// The per-scanner folder, ending with '/'.
std::string scannerFolder(std::string_view scannerName);

}  // namespace ostrel
