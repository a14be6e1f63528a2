#include "app/core/stored_profiles.h"

#include <utility>

#include "platform/environment.h"

namespace ostrel {

StoredProfiles::StoredProfiles() : StoredProfiles(platform::programFolder()) {}

StoredProfiles::StoredProfiles(std::string programFolder) : programFolder_(std::move(programFolder)) {}

void StoredProfiles::createOrLoad(const std::string& scannerFolder, int buttonCount) {
  const std::vector<ProfileRepair> repairs =
      CreateAndLoadProfiles(store_, scannerFolder, programFolder_, buttonCount);
  if (!repairs.empty()) {
    notices_.push_back(repairNotice(repairs, LocalizedText(resourceSettingPath(programFolder_))));
  }
}

void StoredProfiles::showPendingNotices(PanelView& panel) {
  for (const std::string& notice : std::exchange(notices_, {})) panel.showBalloon(notice);
}

std::string repairNotice(const std::vector<ProfileRepair>& repairs, const LocalizedText& text) {
  std::string restored;
  std::string kept;
  for (const ProfileRepair& repair : repairs) {
    std::string& names = repair.restored() ? restored : kept;
    names += (names.empty() ? "" : ", ") + repair.file.substr(repair.file.rfind('/') + 1);
  }
  std::string notice;
  if (!restored.empty()) {
    notice = text("Else", "ProfileRestored",
                  "These settings files were damaged and have been restored; the damaged files are kept "
                  "beside them:") +
             " " + restored + ".";
  }
  if (!kept.empty()) {
    notice += (notice.empty() ? "" : "\n") +
              text("Else", "ProfileNotRestored", "These settings files are damaged and cannot be restored:") +
              " " + kept + ".";
  }
  return notice;
}

}  // namespace ostrel
