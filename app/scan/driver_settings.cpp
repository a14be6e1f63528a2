// ScannerConfig::WriteDriverSettings: a button's scan profile as the keys the
// scanner driver reads from devaru.ini and nvscan32.ini at the start of a scan.
#include <string>
#include <string_view>

#include "platform/activity_log.h"
#include "app/scan/scanner_config.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

// The driver plays this file when a misfeed stops the scan.
constexpr std::string_view kAlertSound = "/usr/share/sounds/freedesktop/stereo/bell.oga";

class DriverSettingsWriter {
 public:
  DriverSettingsWriter(const std::string& loadIni, const std::string& scanIni)
      : loadIni_(loadIni), scanIni_(scanIni) {}

  void text(std::string_view key, std::string_view value) const {
    platform::WritePrivateProfileString("1", key, value, loadIni_);
    platform::WritePrivateProfileString("1", key, value, scanIni_);
  }
  void number(std::string_view key, int value) const { text(key, std::to_string(value)); }

 private:
  const std::string& loadIni_;
  const std::string& scanIni_;
};

void writeCustomDropout(const DriverSettingsWriter& out, const CScanSetting& scan) {
  for (const char* key : {"FGDropColor", "RGDropColor", "FBDropColor", "RBDropColor"}) out.number(key, 4);
  for (const char* key : {"FGDropR", "RGDropR", "FBDropR", "RBDropR"}) out.number(key, scan.dropRed);
  for (const char* key : {"FGDropG", "RGDropG", "FBDropG", "RBDropG"}) out.number(key, scan.dropGreen);
  for (const char* key : {"FGDropB", "RGDropB", "FBDropB", "RBDropB"}) out.number(key, scan.dropBlue);
}

// Colour enhancement: black-and-white scans enhance through the B keys, grey
// scans through the G keys; the rear keys only when both sides are scanned.
struct EnhancementRow {
  int scanMode, scanSide;
  int fgDropColor, rgDropColor, fbDropColor, rbDropColor;
  int fbAdvance, rbAdvance, fgAdvance, rgAdvance;
  const char* thresholds[2];
};
constexpr EnhancementRow kEnhancement[] = {
    {0, 0, 0, 0, 3, 0, 1, 0, 0, 0, {"FBFilterThreshold", nullptr}},
    {0, 2, 0, 0, 3, 3, 1, 1, 0, 0, {"FBFilterThreshold", "RBFilterThreshold"}},
    {1, 0, 3, 0, 0, 0, 0, 0, 1, 0, {"FGFilterThreshold", nullptr}},
    {1, 2, 3, 3, 0, 0, 0, 0, 1, 1, {"FGFilterThreshold", "RGFilterThreshold"}},
};

void writeColourEnhancement(const DriverSettingsWriter& out, const CScanSetting& scan) {
  for (const EnhancementRow& row : kEnhancement) {
    if (row.scanMode != scan.scanMode || row.scanSide != scan.scanSide) continue;
    out.number("FGDropColor", row.fgDropColor);
    out.number("RGDropColor", row.rgDropColor);
    out.number("FBDropColor", row.fbDropColor);
    out.number("RBDropColor", row.rbDropColor);
    out.number("FBAdvanceProcess", row.fbAdvance);
    out.number("RBAdvanceProcess", row.rbAdvance);
    out.number("FGAdvanceProcess", row.fgAdvance);
    out.number("RGAdvanceProcess", row.rgAdvance);
    for (const char* key : row.thresholds) {
      if (key) out.number(key, scan.filterValue);
    }
  }
  if (scan.scanMode == 0) {
    out.number("FBBinaryProcess", 0);
    out.number("RBBinaryProcess", 0);
  }
  out.number("Tintara", 1);
}

// Two bits per scan mode: the lower one for the front, the upper for the rear.
void writeScanModeMask(const DriverSettingsWriter& out, const CScanSetting& scan) {
  if (scan.scanMode < 0 || scan.scanMode > 3) return;
  const int front = 1 << (2 * scan.scanMode);
  if (scan.scanSide == 0) out.number("ScanMode", front);
  if (scan.scanSide == 2) out.number("ScanMode", front * 3);
}

}  // namespace

int ScannerConfig::WriteDriverSettings(const CButtonSetting& button) const {
  if (!button.scanSetting) {
    Log("Button " + button.section + " has no scan profile; the driver settings stay as they are.");
    return 0;
  }
  const CScanSetting& scan = *button.scanSetting;
  for (const std::string* path : {&loadIniPath, &scanIniPath}) {
    const std::string folder = platform::folderOf(*path);
    if (!platform::createFolderTree(folder)) Log("The driver settings folder " + folder + " cannot be created.");
  }
  const DriverSettingsWriter out(loadIniPath, scanIniPath);

  out.number("ScanSource", hasFeeder ? (hasFlatbed ? 0 : 1) : 2);
  if (scan.dropout == 5) writeCustomDropout(out, scan);
  if (scan.dropout == 4) {
    writeColourEnhancement(out, scan);
  } else {
    for (const char* key : {"FBAdvanceProcess", "RBAdvanceProcess", "FGAdvanceProcess", "RGAdvanceProcess"}) {
      out.number(key, 0);
    }
  }
  writeScanModeMask(out, scan);

  const bool despeckle = scan.checkDespeckle == 1 && scan.scanMode == 0;
  out.number("NoiseNumber", despeckle ? scan.despeckleNum : 0);
  out.number("NoiseRadius", despeckle ? scan.despeckleRange : 0);

  if (hasUltrasonic) {
    out.number("Ultrasonic", scan.lengthCheck ? 1 : 0);
  } else {
    out.number("Limit Length", scan.lengthCheck);
    out.number("PAPERLENGTH", scan.lengthCheck ? 0 : 32768);
  }
  out.number("Continue Scan", scan.continueScan);
  out.text("PlaySound", scan.audio != 0 ? kAlertSound : std::string_view());
  return 0;
}

}  // namespace ostrel
