#pragma once
// The per-scanner folder "%AppData%/Ostrel/<scanner>/" and the start-up marker
// in it: "Startup.txt", section "1", key Startup, "1" while a manager of the
// scanner runs and "0" after it has ended.
#include <string>
#include <string_view>

namespace ostrel {

// The scanner name as one folder level. Names come from the driver and may hold
// anything; '/' becomes '_', and a name that would mean this folder or its
// parent ("", ".", "..") gets a leading '_', so the folder stays inside Ostrel/.
std::string scannerFolderName(std::string_view scannerName);

// The per-scanner folder, ending with '/'.
std::string scannerFolder(std::string_view scannerName);

std::string startupMarkerPath(std::string_view scannerName);

// True when the marker says a manager runs (a missing marker reads as 0). A
// marker over 64 KiB is first cut down to its lines within the first 64 KiB
// (logged), by the write too, so neither parses more than that.
bool readStartupMarker(std::string_view scannerName);
void writeStartupMarker(std::string_view scannerName, bool running);

}  // namespace ostrel
