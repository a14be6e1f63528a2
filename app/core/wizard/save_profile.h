#pragma once
// "Save the profile" of the image processing page: the button's profile as it
// stands in memory becomes a new named profile in the scan settings file, the
// profile it came from goes back to what its file says, and the button uses
// the new one.
#include <string>

#include "app/settings/profile_store.h"

namespace ostrel::wizard {

enum class SaveProfileResult { Saved, NameInUse, NotWritten };

SaveProfileResult saveProfileAs(ProfileStore& profiles, CButtonSetting& button, const std::string& name);

}  // namespace ostrel::wizard
