// The built-in sets of the profile store, written when a template is missing, and
// the fallback destinations for a missing destination file.
#include <array>
#include <string_view>

#include "app/settings/application_setting_file.h"
#include "app/settings/destination_catalog.h"
#include "app/settings/profile_store.h"
#include "app/settings/scan_setting_file.h"

namespace ostrel {

namespace {

struct ScanProfileRow {
  std::string_view section;
  std::string_view title;
  int resolution;
  int scanMode;
  int automatic;
  int paperSize;
  int autoText;
};

constexpr std::array<ScanProfileRow, 8> kScanProfiles = {{
    {"0", "Black and White Text Document", 200, 0, 0, 4, 1},
    {"1", "Legal sized Text Document", 200, 0, 0, 3, 1},
    {"2", "Text Document with Colored Background", 200, 3, 0, 4, 1},
    {"3", "Color Text Document", 200, 2, 0, 4, 1},
    {"4", "Very Small Color Photo", 300, 2, 0, 18, 0},
    {"5", "Small Color Photo", 300, 2, 0, 18, 0},
    {"6", "Large Color Photo", 300, 2, 0, 4, 0},
    {"7", "Business Card", 300, 2, 1, 0, 1},
}};

struct ButtonRow {
  std::string_view section;
  std::string_view title;
  std::string_view destination;
  std::string_view scanProfile;
  std::string_view imageFolder;  // kept with the marker, so the file suits any user
  int fileFormat;
};

constexpr std::array<ButtonRow, 5> kButtons = {{
    {"1", "eMail", "eMail", "Color Text Document", "%MYDOCUMENTS%/Ostrel/eMail", format::kMultiPdf},
    {"2", "Print", "Print", "Black and White Text Document", "", format::kBmp},
    {"3", "Google Docs", "Google Docs", "Black and White Text Document", "%MYDOCUMENTS%/Ostrel/Google Docs",
     format::kMultiPdf},
    {"4", "MS Paint", "mspaint", "Large Color Photo", "%MYDOCUMENTS%/Ostrel/MS Paint", format::kJpeg},
    {"5", "Storage", "Storage", "Black and White Text Document", "%MYDOCUMENTS%/Ostrel/Storage",
     format::kMultiPdf},
}};

}  // namespace

bool ProfileStore::WriteDefaultScanSettings(const std::string& path) {
  scanSettingPath_ = path;
  CScanSetting profile;
  bool written = true;
  for (const ScanProfileRow& row : kScanProfiles) {
    profile.section = row.section;
    profile.title = row.title;
    profile.resolution = row.resolution;
    profile.scanMode = row.scanMode;
    profile.automatic = row.automatic;
    profile.paperSize = row.paperSize;
    profile.autoText = row.autoText;
    written &= WriteScanSettingSection(profile, path);
  }
  return written;
}

bool ProfileStore::WriteDefaultApplicationSettings(const std::string& path) {
  applicationSettingPath_ = path;
  bool written = true;
  for (const CApplicationSetting& destination : builtInDestinations()) {
    written &= WriteApplicationSettingSection(destination, path);
  }
  return written;
}

void ProfileStore::CreateFallbackApplicationSettings() {
  for (CApplicationSetting& destination : fallbackDestinations()) {
    SaveApplicationSetting(destination);
    applicationSettings_.push_back(std::make_unique<CApplicationSetting>(std::move(destination)));
  }
}

bool ProfileStore::WriteDefaultButtonSettings(const std::string& path) {
  buttonSettingPath_ = path;
  // Every other field keeps its new-record value, which is what all rows share.
  CButtonSetting button;
  button.paperSize = 4;
  button.id = "21";
  bool written = true;
  for (const ButtonRow& row : kButtons) {
    button.section = row.section;
    button.title = row.title;
    button.applicationSetting = FindApplicationSetting(row.destination);
    button.scanSetting = FindScanSetting(row.scanProfile);
    button.imageFolder = row.imageFolder;
    button.fileFormat = row.fileFormat;
    // A PDF button made by the wizard is "Image Only" (3); 0 would replace each
    // page's image by its recognised text.
    button.fileFormatProperty = row.fileFormat == format::kMultiPdf ? 3 : 0;
    written &= writeButton(button);
  }
  return written;
}

}  // namespace ostrel
