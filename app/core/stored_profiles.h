#pragma once
// The manager's profiles: the scanner's three profile files, created when
// missing, restored when damaged and loaded into the profile store at start-up.
// What the user must hear of a restore waits here until the panel runs.
#include <string>
#include <vector>

#include "app/core/manager_interfaces.h"
#include "app/settings/localized_text.h"
#include "app/settings/profile_startup.h"
#include "app/settings/profile_store.h"

namespace ostrel {

class StoredProfiles : public ButtonProfiles {
 public:
  // The program's folder holds the templates and the texts file; by default
  // the running program's.
  StoredProfiles();
  explicit StoredProfiles(std::string programFolder);

  void createOrLoad(const std::string& scannerFolder, int buttonCount) override;
  CButtonSetting* button(int number) override { return store_.Button(number); }
  void release() override { store_.FreeProfiles(); }
  void showPendingNotices(PanelView& panel) override;
  // The records, for the configuration window that edits them.
  ProfileStore& store() { return store_; }

 private:
  std::string programFolder_;
  ProfileStore store_;
  std::vector<std::string> notices_;
};

// One balloon text for the repairs of one start-up, naming the files; the
// activity log has the details.
std::string repairNotice(const std::vector<ProfileRepair>& repairs, const LocalizedText& text);

}  // namespace ostrel
