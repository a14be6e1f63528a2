#include "app/core/startup_marker.h"

#include "platform/environment.h"
#include "platform/ini_file.h"

namespace ostrel {

std::string scannerFolderName(std::string_view scannerName) {
  std::string name(scannerName);
  for (char& c : name) {
    if (c == '/' || c == '\0') c = '_';
  }
  if (name.empty() || name == "." || name == "..") name.insert(0, "_");
  return name;
}

std::string scannerFolder(std::string_view scannerName) {
  // The name is put in after the expansion, so a '%' in it is kept as written.
  return platform::ExpandEnvironmentStrings("%AppData%/Ostrel/") + scannerFolderName(scannerName) +
         "/";
}

std::string startupMarkerPath(std::string_view scannerName) {
  return scannerFolder(scannerName) + "Startup.txt";
}

bool readStartupMarker(std::string_view scannerName) {
  return platform::GetPrivateProfileInt("1", "Startup", 0, startupMarkerPath(scannerName)) != 0;
}

void writeStartupMarker(std::string_view scannerName, bool running) {
  platform::WritePrivateProfileString("1", "Startup", running ? "1" : "0",
                                      startupMarkerPath(scannerName));
}

}  // namespace ostrel
