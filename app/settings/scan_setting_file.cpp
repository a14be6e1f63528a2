#include "app/settings/scan_setting_file.h"

#include <array>
#include <string_view>

#include "app/settings/profile_keys.h"

namespace ostrel {

namespace {

struct IntKey {
  std::string_view key;
  int CScanSetting::*field;
  int readDefault;
};

// In the order the keys are written.
constexpr std::array<IntKey, 38> kWrittenKeys = {{
    {"Resolution", &CScanSetting::resolution, 200},
    {"Threshold", &CScanSetting::threshold, 128},
    {"ScanMode", &CScanSetting::scanMode, 0},
    {"Automatic", &CScanSetting::automatic, 1},
    {"XOffset", &CScanSetting::xOffset, 0},
    {"YOffset", &CScanSetting::yOffset, 0},
    {"Width", &CScanSetting::width, 2550},
    {"Height", &CScanSetting::height, 3300},
    {"Brightness", &CScanSetting::brightness, 0},
    {"Contrast", &CScanSetting::contrast, 0},
    {"Gamma", &CScanSetting::gamma, 220},
    {"ScanSide", &CScanSetting::scanSide, 0},
    {"AutoText", &CScanSetting::autoText, 0},
    {"RotationFront", &CScanSetting::rotationFront, 0},
    {"RotationRear", &CScanSetting::rotationRear, 0},
    {"Stitch", &CScanSetting::stitch, 0},
    {"BatchMode", &CScanSetting::batchMode, 0},
    {"BatchPageNum", &CScanSetting::batchPageNum, 1},
    {"EdgeCleanUpColor", &CScanSetting::edgeCleanUpColor, 0},
    {"EdgeCleanUp", &CScanSetting::edgeCleanUp, 0},
    {"EdgeCleanUpSize", &CScanSetting::edgeCleanUpSize, 0},
    {"BackgroundColor", &CScanSetting::backgroundColor, 0},
    {"BlankPageRemove", &CScanSetting::blankPageRemove, 0},
    {"PageSensitivity", &CScanSetting::pageSensitivity, 50},
    {"PaperSize", &CScanSetting::paperSize, 0},
    {"PaperSizeUnit", &CScanSetting::paperSizeUnit, 0},
    {"Dropout", &CScanSetting::dropout, 0},
    {"DropRed", &CScanSetting::dropRed, 128},
    {"DropGreen", &CScanSetting::dropGreen, 128},
    {"DropBlue", &CScanSetting::dropBlue, 128},
    {"LengthCheck", &CScanSetting::lengthCheck, 0},
    {"ContinueScan", &CScanSetting::continueScan, 0},
    {"Audio", &CScanSetting::audio, 1},
    {"CreateSubfolder", &CScanSetting::createSubfolder, 0},
    {"ColorMatch", &CScanSetting::colorMatch, 0},
    {"CheckDespeckle", &CScanSetting::checkDespeckle, 0},
    {"DespeckleNum", &CScanSetting::despeckleNum, 0},
    {"DespeckleRange", &CScanSetting::despeckleRange, 0},
}};

constexpr IntKey kFilterValue = {"FilterValue", &CScanSetting::filterValue, 18};

// The OCR language list's entry, kept with the profile so a restart does not
// fall back to English; written after every other key.
constexpr const char* kOcrLanguage = "OcrLanguage";
constexpr const char* kDefaultOcrLanguage = "English";

}  // namespace

int ReadScanSettingSection(CScanSetting& profile, const std::string& path) {
  const std::string& section = profile.section;
  const int valid = platform::GetPrivateProfileInt(section, profile_keys::kValid, -1, path);
  if (valid < 1) return valid;
  profile.title = platform::GetPrivateProfileString(section, "Title", "", path);
  for (const IntKey& key : kWrittenKeys) {
    profile.*key.field = platform::GetPrivateProfileInt(section, key.key, key.readDefault, path);
  }
  profile.*kFilterValue.field =
      platform::GetPrivateProfileInt(section, kFilterValue.key, kFilterValue.readDefault, path);
  profile.ocrLanguage = platform::GetPrivateProfileString(section, kOcrLanguage, kDefaultOcrLanguage, path);
  if (profile.ocrLanguage.empty()) profile.ocrLanguage = kDefaultOcrLanguage;
  return valid;
}

bool WriteScanSettingSection(const CScanSetting& profile, const std::string& path) {
  const std::string& section = profile.section;
  bool written = profile_keys::writeInt(section, profile_keys::kValid, 1, path);
  written &= platform::WritePrivateProfileString(section, "Title", profile.title, path);
  for (const IntKey& key : kWrittenKeys) {
    written &= profile_keys::writeInt(section, key.key, profile.*key.field, path);
  }
  written &= platform::WritePrivateProfileString(section, kOcrLanguage, profile.ocrLanguage, path);
  return written;
}

}  // namespace ostrel
