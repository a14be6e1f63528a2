#include "app/settings/profile_path.h"

#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel {

std::string ExpandProfilePath(std::string_view value) {
  if (platform::startsWithNoCase(value, kMyDocumentsMarker)) {
    return platform::documentsFolder() + std::string(value.substr(kMyDocumentsMarker.size()));
  }
  return platform::ExpandEnvironmentStrings(value);
}

std::string defaultFolderBase() { return ExpandProfilePath("%MyDocuments%/Ostrel/"); }

}  // namespace ostrel
