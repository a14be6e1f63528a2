#pragma once
// Bringing a scanner's three profile files into being and into memory at start-up.
#include <string>

#include "app/settings/profile_store.h"

namespace ostrel {

// For ScanSetting.ini, ApplicationSetting.ini and ButtonSetting.ini, in that
// order (buttons refer to the other two by title): a file missing from the
// per-scanner folder is copied from the program folder's Template/, whose file
// is first made from the built-in set when it is missing too. When the built-in
// set cannot be written there (an installed, read-only program folder) it is
// written straight into the per-scanner file instead. Each file is then loaded
// into the store, buttons with the scanner's button count. Steps are logged.
void CreateAndLoadProfiles(ProfileStore& store, const std::string& scannerFolder,
                           const std::string& programFolder, int buttonCount);

}  // namespace ostrel
