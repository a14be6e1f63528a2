#pragma once
// The manager's profiles: the scanner's three profile files, created when
// missing and loaded into the profile store at start-up.
#include "app/core/manager_interfaces.h"
#include "app/settings/profile_store.h"

namespace ostrel {

class StoredProfiles : public ButtonProfiles {
 public:
  void createOrLoad(const std::string& scannerFolder, int buttonCount) override;
  CButtonSetting* button(int number) override { return store_.Button(number); }
  void release() override { store_.FreeProfiles(); }

 private:
  ProfileStore store_;
};

}  // namespace ostrel
