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

std::string PortableProfilePath(std::string_view folder) {
  std::string documents = platform::documentsFolder();
  while (documents.size() > 1 && documents.back() == '/') documents.pop_back();
  // Only whole path components count: ~/Documents2 is not under ~/Documents.
  if (documents.size() > 1 && folder.starts_with(documents) &&
      (folder.size() == documents.size() || folder[documents.size()] == '/')) {
    return std::string(kMyDocumentsMarker) + std::string(folder.substr(documents.size()));
  }
  return std::string(folder);
}

std::string defaultFolderBase() { return ExpandProfilePath("%MyDocuments%/Ostrel/"); }

}  // namespace ostrel
