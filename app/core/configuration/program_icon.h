#pragma once
// The icon a desktop gives a destination program: the Icon of its desktop
// entry, found by the entry's name (<program>.desktop) or by the program its
// Exec line starts.
#include <string>
#include <string_view>

namespace ostrel {

// A theme icon name or an icon file's path; empty when no desktop entry of the
// XDG data folders starts the program.
std::string programDesktopIcon(std::string_view programPath);

}  // namespace ostrel
