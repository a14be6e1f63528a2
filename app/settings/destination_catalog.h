#pragma once
// The destinations the program knows without a template: the built-in catalog
// written when the destination template is missing, and the smaller fallback
// used when the scanner's destination file is missing at load time. Desktop
// programs are the Linux counterparts found on $PATH when the rows are made.
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel {

// Rows as written to a template: default folders keep the documents marker.
std::vector<CApplicationSetting> builtInDestinations();
// Rows as they go into memory and the scanner's own file: folders expanded.
std::vector<CApplicationSetting> fallbackDestinations();

}  // namespace ostrel
