#include "app/core/stored_profiles.h"

#include "app/settings/profile_startup.h"
#include "platform/environment.h"

namespace ostrel {

void StoredProfiles::createOrLoad(const std::string& scannerFolder, int buttonCount) {
  CreateAndLoadProfiles(store_, scannerFolder, platform::programFolder(), buttonCount);
}

}  // namespace ostrel
