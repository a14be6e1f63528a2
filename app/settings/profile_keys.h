#pragma once
// What every profile record shares when it meets its file.
#include <string>
#include <string_view>

#include "platform/ini_file.h"

namespace ostrel::profile_keys {

// Carried by scan profile and destination sections: 1 or more loads the
// section, 0 skips it, and a negative read (no key, no section) ends the file.
inline constexpr std::string_view kValid = "Valid";

// Integers go to the files in decimal, one key per call.
inline bool writeInt(std::string_view section, std::string_view key, int value, const std::string& path) {
  return platform::WritePrivateProfileString(section, key, std::to_string(value), path);
}

}  // namespace ostrel::profile_keys
