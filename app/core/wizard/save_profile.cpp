#include "app/core/wizard/save_profile.h"

#include "platform/activity_log.h"

namespace ostrel::wizard {

SaveProfileResult saveProfileAs(ProfileStore& profiles, CButtonSetting& button, const std::string& name) {
  if (profiles.FindScanSetting(name)) return SaveProfileResult::NameInUse;
  CScanSetting* current = button.scanSetting;
  CScanSetting* added = profiles.AddScanSetting();
  if (!added) return SaveProfileResult::NotWritten;
  if (current) {
    const std::string section = added->section;
    *added = *current;
    added->section = section;
    profiles.ReloadScanSetting(*current);
  }
  added->title = name;
  const bool written = profiles.SaveScanSetting(*added);
  button.scanSetting = added;
  if (!written) {
    Log("The new scan profile \"" + name + "\" could not be written to " + profiles.scanSettingPath() + ".");
    return SaveProfileResult::NotWritten;
  }
  return SaveProfileResult::Saved;
}

}  // namespace ostrel::wizard
