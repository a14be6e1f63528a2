#pragma once
// The start-up marker in the per-scanner folder: "Startup.txt", section "1",
// key Startup, "1" while a manager of the scanner runs and "0" after it has
// ended.
#include <string>
#include <string_view>

#include "app/settings/scanner_folder.h"

namespace ostrel {

std::string startupMarkerPath(std::string_view scannerName);

// True when the marker says a manager runs (a missing marker reads as 0). A
// marker over 64 KiB is first cut down to its lines within the first 64 KiB
// (logged), by the write too, so neither parses more than that.
bool readStartupMarker(std::string_view scannerName);
void writeStartupMarker(std::string_view scannerName, bool running);

}  // namespace ostrel
