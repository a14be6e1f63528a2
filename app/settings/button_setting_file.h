#pragma once
// One button section of ButtonSetting.ini ("1" to "9"; no Valid key).
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

// Titles a button section names; the caller turns them into references.
struct ButtonReferences {
  std::string scanSetting;
  std::string applicationSetting;
};

// Reads every key of the button's own section except the two references, which
// come back as stored. ImageFolder is expanded, Password decoded.
ButtonReferences ReadButtonSettingSection(CButtonSetting& button, const std::string& path);

// Writes the keys that follow the title and the saved scan profile, from
// ScanSetting to SubfolderName, the password encoded. False when a key could not
// be written.
bool WriteButtonSettingFields(const CButtonSetting& button, const std::string& path);

}  // namespace ostrel
