#include "app/scan/job/output_folder.h"

#include "platform/environment.h"

namespace ostrel {

std::string withSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string workingFolder(const std::string& name) {
  return platform::appDataFolder() + "/Ostrel/" + name + "/";
}

std::string cloudTemporaryFolder() { return workingFolder("Google Docs"); }

std::string destinationFolder(const CButtonSetting& button) {
  const std::string& path = button.applicationSetting ? button.applicationSetting->path : std::string();
  if (path == destination::kPrint) return workingFolder("Print");
  if (path == destination::kMail) return workingFolder("Mail");
  if (path == destination::kGoogle) return cloudTemporaryFolder();
  return withSeparator(platform::ExpandEnvironmentStrings(button.imageFolder));
}

}  // namespace ostrel
