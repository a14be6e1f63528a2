#include "app/settings/profile_store.h"

#include <algorithm>

#include "app/settings/application_setting_file.h"
#include "app/settings/button_setting_file.h"
#include "app/settings/profile_keys.h"
#include "app/settings/profile_safekeeping.h"
#include "app/settings/scan_setting_file.h"
#include "platform/environment.h"
#include "platform/ini_file.h"

namespace ostrel {

namespace {

// The first section from "1" up that the file does not hold as valid and no
// record in memory already carries, so two additions before a save never share
// a section.
template <typename Records>
std::string nextFreeSection(const std::string& path, const Records& records) {
  for (int number = 1;; ++number) {
    const std::string section = std::to_string(number);
    const bool taken = std::any_of(records.begin(), records.end(),
                                   [&](const auto& record) { return record->section == section; });
    if (!taken && platform::GetPrivateProfileInt(section, profile_keys::kValid, -1, path) < 1) {
      return section;
    }
  }
}

template <typename Records>
auto* findByTitle(const Records& records, std::string_view title) {
  const auto found = std::find_if(records.begin(), records.end(),
                                  [&](const auto& record) { return record->title == title; });
  return found == records.end() ? nullptr : found->get();
}

// Reads sections "first", "first+1", ... into new records until one lacks Valid.
template <typename Record, typename Records, typename Read>
void loadSections(Records& records, const std::string& path, int first, Read read) {
  for (int number = first;; ++number) {
    auto record = std::make_unique<Record>();
    record->section = std::to_string(number);
    const int valid = read(*record, path);
    if (valid < 0) return;
    if (valid > 0) records.push_back(std::move(record));
  }
}

}  // namespace

// --- Scan profiles ---

int ProfileStore::LoadScanSettings(const std::string& path) {
  releaseScanSettings();
  scanSettingPath_ = path;
  if (path.empty()) return 0;

  auto first = std::make_unique<CScanSetting>();
  first->section = "0";
  if (ReadScanSettingSection(*first, path) < 0) {
    first->title = "default";
    WriteScanSettingSection(*first, path);
  }
  scanSettings_.push_back(std::move(first));
  loadSections<CScanSetting>(scanSettings_, path, 1, ReadScanSettingSection);
  return 1;
}

bool ProfileStore::SaveScanSetting(const CScanSetting& profile) {
  const bool written = WriteScanSettingSection(profile, scanSettingPath_);
  if (written) keepLastGood(scanSettingPath_, ProfileKind::scan);
  return written;
}

CScanSetting* ProfileStore::AddScanSetting() {
  auto record = std::make_unique<CScanSetting>();
  record->section = nextFreeSection(scanSettingPath_, scanSettings_);
  scanSettings_.push_back(std::move(record));
  return scanSettings_.back().get();
}

CScanSetting* ProfileStore::FindScanSetting(std::string_view title) {
  return findByTitle(scanSettings_, title);
}

void ProfileStore::ReloadScanSetting(CScanSetting& profile) {
  ReadScanSettingSection(profile, scanSettingPath_);
}

// --- Destinations ---

int ProfileStore::LoadApplicationSettings(const std::string& path) {
  releaseApplicationSettings();
  if (!path.empty()) applicationSettingPath_ = path;
  if (applicationSettingPath_.empty()) return 0;
  if (!platform::fileExists(applicationSettingPath_)) {
    CreateFallbackApplicationSettings();
    return 1;
  }
  loadSections<CApplicationSetting>(applicationSettings_, applicationSettingPath_, 0,
                                    ReadApplicationSettingSection);
  return 1;
}

bool ProfileStore::SaveApplicationSetting(const CApplicationSetting& destination) {
  const bool written = WriteApplicationSettingSection(destination, applicationSettingPath_);
  if (written) keepLastGood(applicationSettingPath_, ProfileKind::application);
  return written;
}

CApplicationSetting* ProfileStore::AddApplicationSetting() {
  if (applicationSettingPath_.empty()) return nullptr;
  auto record = std::make_unique<CApplicationSetting>();
  record->section = nextFreeSection(applicationSettingPath_, applicationSettings_);
  applicationSettings_.push_back(std::move(record));
  return applicationSettings_.back().get();
}

CApplicationSetting* ProfileStore::FindApplicationSetting(std::string_view title) {
  return findByTitle(applicationSettings_, title);
}

// --- Buttons ---

void ProfileStore::LoadButtonSettings(const std::string& path, int count) {
  if (!path.empty()) buttonSettingPath_ = path;
  buttonCount_ = std::clamp(count, 0, kButtonTableSize);
  for (int i = 0; i < buttonCount_; ++i) {
    CButtonSetting& button = buttons_[static_cast<std::size_t>(i)];
    button.section = std::string(1, static_cast<char>('1' + i));
    const ButtonReferences references = ReadButtonSettingSection(button, buttonSettingPath_);

    button.scanSetting = FindScanSetting(references.scanSetting);
    if (!button.scanSetting && !scanSettings_.empty()) button.scanSetting = scanSettings_.front().get();

    // A button without a title is unconfigured: pressing it opens the
    // configuration, so it must not silently pick a destination.
    button.applicationSetting = FindApplicationSetting(references.applicationSetting);
    if (!button.applicationSetting && !button.title.empty() && !applicationSettings_.empty()) {
      button.applicationSetting = applicationSettings_.front().get();
    }
  }
}

bool ProfileStore::SaveButtonSetting(const CButtonSetting& button) {
  const bool written = writeButton(button);
  if (button.scanSetting) keepLastGood(scanSettingPath_, ProfileKind::scan);
  if (written) keepLastGood(buttonSettingPath_, ProfileKind::button);
  return written;
}

bool ProfileStore::writeButton(const CButtonSetting& button) {
  bool written =
      platform::WritePrivateProfileString(button.section, "Title", button.title, buttonSettingPath_);
  if (button.scanSetting) WriteScanSettingSection(*button.scanSetting, scanSettingPath_);
  written &= WriteButtonSettingFields(button, buttonSettingPath_);
  return written;
}

CButtonSetting* ProfileStore::Button(int number) {
  if (number < 1 || number > buttonCount_) return nullptr;
  return &buttons_[static_cast<std::size_t>(number - 1)];
}

// --- Lifetime ---

void ProfileStore::FreeProfiles() {
  releaseScanSettings();
  releaseApplicationSettings();
}

void ProfileStore::releaseScanSettings() {
  for (CButtonSetting& button : buttons_) button.scanSetting = nullptr;
  scanSettings_.clear();
}

void ProfileStore::releaseApplicationSettings() {
  for (CButtonSetting& button : buttons_) button.applicationSetting = nullptr;
  applicationSettings_.clear();
}

}  // namespace ostrel
