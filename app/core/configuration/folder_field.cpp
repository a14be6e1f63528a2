#include "app/core/configuration/folder_field.h"

#include "app/settings/profile_path.h"

namespace ostrel {

std::string browseStartFolder(std::string_view fieldText) { return ExpandProfilePath(fieldText); }

std::string chosenFolderText(std::string_view chosen) {
  std::string folder(chosen);
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace ostrel
