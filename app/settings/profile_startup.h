#pragma once
// Bringing a scanner's three profile files into being and into memory at start-up.
#include <string>
#include <vector>

#include "app/settings/profile_safekeeping.h"
#include "app/settings/profile_store.h"

namespace ostrel {

// A damaged profile file found at start-up (see isDamagedProfile), set aside as
// "<file>.damaged-<YYYYMMDD>-<HHMMSS>" and replaced by its last good copy, else
// made as a missing file is. The settings layer shows nothing: the caller tells
// the user.
struct ProfileRepair {
  enum class Source { lastGoodCopy, templateFile, builtInSet };
  std::string file;      // the profile file's path
  std::string setAside;  // where the damaged file is kept; empty when it could not be moved
  Source source = Source::builtInSet;
  // False when the file could not be set aside: it is then read as it is.
  bool restored() const { return !setAside.empty(); }
};

// For ScanSetting.ini, ApplicationSetting.ini and ButtonSetting.ini, in that
// order (buttons refer to the other two by title): a damaged file is set aside
// and restored; a file missing from the per-scanner folder is copied from the
// program folder's Template/, whose file is first made from the built-in set
// when it is missing too. When the built-in set cannot be written there (an
// installed, read-only program folder), or the template is damaged, it is
// written straight into the per-scanner file instead. Each file is then loaded
// into the store, buttons with the scanner's button count, and gets its last
// good copy when it has none. Staging files that writes killed on the way left
// in the per-scanner folder are removed first. Steps are logged. Returns the
// repairs, in file order.
std::vector<ProfileRepair> CreateAndLoadProfiles(ProfileStore& store, const std::string& scannerFolder,
                                                 const std::string& programFolder, int buttonCount);

}  // namespace ostrel
