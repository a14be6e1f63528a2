#pragma once
// The profiles of one scanner held in memory: the scan profiles and destinations
// in file order, each owned by its list, and the fixed table of nine buttons that
// refer to them. The files are read once at start-up; from then on the records
// are the truth and every save updates its file key by key at once, then its
// last good copy (profile_safekeeping.h). The built-in sets are not saves: they
// go into templates as well, which keep no copy.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel {

class ProfileStore {
 public:
  static constexpr int kButtonTableSize = 9;
  using ScanSettings = std::vector<std::unique_ptr<CScanSetting>>;
  using ApplicationSettings = std::vector<std::unique_ptr<CApplicationSetting>>;
  using Buttons = std::array<CButtonSetting, kButtonTableSize>;

  ProfileStore() = default;
  // Buttons point into the lists, so a copy would alias; a move keeps them valid.
  ProfileStore(const ProfileStore&) = delete;
  ProfileStore& operator=(const ProfileStore&) = delete;
  ProfileStore(ProfileStore&&) = default;
  ProfileStore& operator=(ProfileStore&&) = default;

  // --- Scan profiles (ScanSetting.ini) ---
  // Remembers the path and replaces the list with the file's profiles; always
  // yields section "0", writing it as "default" when the file lacks it. Sections
  // with Valid=0 are skipped; the first section without Valid ends the list.
  // Returns 0 for an empty path, else 1.
  int LoadScanSettings(const std::string& path);
  bool SaveScanSetting(const CScanSetting& profile);
  // A new record at the end of the list, named after the first section from "1"
  // that is neither valid in the file nor taken by a record in memory; not saved.
  CScanSetting* AddScanSetting();
  // Exact, case-sensitive title match, first in list order; nullptr when none.
  CScanSetting* FindScanSetting(std::string_view title);
  // Reads the profile's own section again, discarding unsaved edits.
  void ReloadScanSetting(CScanSetting& profile);
  // Writes the built-in profiles into path, which becomes the scan profile file.
  bool WriteDefaultScanSettings(const std::string& path);
  const ScanSettings& ScanSettingList() const { return scanSettings_; }
  const std::string& scanSettingPath() const { return scanSettingPath_; }

  // --- Destinations (ApplicationSetting.ini) ---
  // Remembers a non-empty path; 0 when no path is known. A missing file gets the
  // fallback catalog. Destinations whose program does not exist are skipped.
  int LoadApplicationSettings(const std::string& path);
  bool SaveApplicationSetting(const CApplicationSetting& destination);
  // As AddScanSetting; nullptr while no destination file is known.
  CApplicationSetting* AddApplicationSetting();
  CApplicationSetting* FindApplicationSetting(std::string_view title);
  // Writes the built-in catalog into path, which becomes the destination file.
  bool WriteDefaultApplicationSettings(const std::string& path);
  // Appends the fallback catalog to the list and writes it to the destination file.
  void CreateFallbackApplicationSettings();
  const ApplicationSettings& ApplicationSettingList() const { return applicationSettings_; }
  const std::string& applicationSettingPath() const { return applicationSettingPath_; }

  // --- Buttons (ButtonSetting.ini) ---
  // Remembers a non-empty path and loads sections "1" to count (at most 9) into
  // the table. An unknown profile title falls back to the first profile; an
  // unknown destination to the first destination, unless the button has no
  // title, in which case it has none. Load the two lists first.
  void LoadButtonSettings(const std::string& path, int count);
  // Writes the title, then the button's whole scan profile, then the other keys.
  bool SaveButtonSetting(const CButtonSetting& button);
  // Writes the built-in buttons into path, which becomes the button file. Their
  // profiles and destinations are looked up in the loaded lists by title.
  bool WriteDefaultButtonSettings(const std::string& path);
  // Button n (from 1) of the scanner; nullptr outside 1 to the loaded count.
  CButtonSetting* Button(int number);
  Buttons& ButtonTable() { return buttons_; }
  int buttonCount() const { return buttonCount_; }
  const std::string& buttonSettingPath() const { return buttonSettingPath_; }

  // Frees every record of both lists. The button table stays; its references
  // into the lists are cleared rather than left dangling.
  void FreeProfiles();

 private:
  // The button's keys and its scan profile, with no last good copy made.
  bool writeButton(const CButtonSetting& button);
  void releaseScanSettings();
  void releaseApplicationSettings();

  ScanSettings scanSettings_;
  ApplicationSettings applicationSettings_;
  Buttons buttons_{};
  int buttonCount_ = 0;
  std::string scanSettingPath_;
  std::string applicationSettingPath_;
  std::string buttonSettingPath_;
};

}  // namespace ostrel
