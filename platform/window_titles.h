#pragma once
// The titles of the desktop's top-level windows, standing in for a window search
// by title: the X display's client list (_NET_CLIENT_LIST, kept by the window
// manager) with each window's _NET_WM_NAME, else its WM_NAME. Without an X
// display (none in $DISPLAY, or one that cannot be reached) there is no window.
#include <string>
#include <vector>

namespace ostrel::platform {

std::vector<std::string> topLevelWindowTitles();

}  // namespace ostrel::platform
