#include "app/settings/application_setting_file.h"

#include "app/settings/application_markers.h"
#include "app/settings/profile_keys.h"
#include "app/settings/profile_path.h"
#include "platform/environment.h"

namespace ostrel {

bool isDestinationKeyword(std::string_view path) {
  return path == destination::kPrint || path == destination::kMail || path == destination::kGoogle ||
         path == destination::kFax || path == destination::kFtp;
}

int ReadApplicationSettingSection(CApplicationSetting& destination, const std::string& path) {
  const std::string& section = destination.section;
  const int valid = platform::GetPrivateProfileInt(section, profile_keys::kValid, -1, path);
  if (valid < 1) return valid;
  destination.title = platform::GetPrivateProfileString(section, "Title", "", path);

  const std::string stored = platform::GetPrivateProfileString(section, "Path", "", path);
  if (stored.starts_with('@')) {
    const MarkerResolution resolved = ResolveApplicationMarker(stored);
    destination.path = resolved.path;
    if (resolved.writeBack) platform::WritePrivateProfileString(section, "Path", resolved.path, path);
  } else {
    destination.path = ExpandProfilePath(stored);
  }
  if (!destination.path.empty() && !isDestinationKeyword(destination.path) &&
      !platform::fileExists(destination.path)) {
    return 0;
  }

  destination.defaultFolder = ExpandProfilePath(
      platform::GetPrivateProfileString(section, "DefaultFolder", defaultFolderBase(), path));
  destination.beforeFix = platform::GetPrivateProfileString(section, "BeforeFix", "", path);
  destination.afterFix = platform::GetPrivateProfileString(section, "AfterFix", "", path);
  destination.folderOnly = platform::GetPrivateProfileInt(section, "FolderOnly", 0, path);
  destination.singleEvent = platform::GetPrivateProfileInt(section, "SingleEvent", 0, path);
  destination.imageFormatCheck = platform::GetPrivateProfileInt(section, "ImageFormatCheck", 0, path);
  destination.defaultFormat = platform::GetPrivateProfileInt(section, "DefaultFormat", 0, path);
  return valid;
}

bool WriteApplicationSettingSection(const CApplicationSetting& destination, const std::string& path) {
  const std::string& section = destination.section;
  bool written = profile_keys::writeInt(section, profile_keys::kValid, 1, path);
  written &= platform::WritePrivateProfileString(section, "Title", destination.title, path);
  written &= platform::WritePrivateProfileString(section, "Path", destination.path, path);
  written &= platform::WritePrivateProfileString(section, "DefaultFolder", destination.defaultFolder, path);
  written &= platform::WritePrivateProfileString(section, "BeforeFix", destination.beforeFix, path);
  written &= platform::WritePrivateProfileString(section, "AfterFix", destination.afterFix, path);
  written &= profile_keys::writeInt(section, "FolderOnly", destination.folderOnly, path);
  written &= profile_keys::writeInt(section, "SingleEvent", destination.singleEvent, path);
  written &= profile_keys::writeInt(section, "ImageFormatCheck", destination.imageFormatCheck, path);
  written &= profile_keys::writeInt(section, "DefaultFormat", destination.defaultFormat, path);
  return written;
}

}  // namespace ostrel
