#include "app/settings/scanner_folder.h"

#include "platform/environment.h"

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

}  // namespace ostrel
