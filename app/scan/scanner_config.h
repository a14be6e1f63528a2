#pragma once
// The attached scanner as the program knows it for the whole run: its registry
// entry, its driver library and settings files, its abilities, and the busy mark
// a TWAIN session holds (a button press that arrives through nested event
// handling during a session must see it).
#include <functional>
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

struct ScannerConfig {
  ScannerConfig();

  // -1 off; 0 on (models "Heron" and "Egret"); while on, the main window stores
  // the kind of each button event in it (1 one side, 2 both sides, 0 a click).
  int sideSelector = -1;
  // In the folder scanner.ini's SAVEPATH names, else in the scanner's own folder.
  std::string loadIniPath;  // devaru.ini
  std::string scanIniPath;  // nvscan32.ini
  std::string modelName;    // the driver's description, at most 19 characters
  bool hasFeeder = false;
  bool hasFlatbed = false;
  bool hasDuplex = false;
  int maxWidth = 0;  // largest scan area, 1/300 inch
  int maxLength = 0;
  int buttonCount = 9;
  bool hasUltrasonic = false;
  // A sheet feeder guides the paper along its middle, so smaller sheets lie
  // centred in the scan area; set with the abilities (a feeder feeds centred).
  bool feedsCentred = false;
  bool busy = false;  // a TWAIN session runs
  std::string resourceFile;
  std::string driverPath;
  // Told before a session or preview takes the scanner (true) and after it
  // has let go (false): whatever else holds the device, the manager's button
  // poller, lets go of it meanwhile. Called on the session's thread.
  std::function<void(bool claimed)> onClaim;

  // Looks the device identifier up among the imaging devices; 1 found, 0 not.
  int FindDriver(const std::string& deviceId);

  // Asks the driver library for the scanner's abilities; 0 when the library
  // does not load (every field keeps its value), else 1.
  int QueryScannerAbilities();

  // Writes the button's scan profile into section "1" of devaru.ini and
  // nvscan32.ini. Returns 0.
  int WriteDriverSettings(const CButtonSetting& button) const;

  // 1 while busy or while the device list holds the scanner, else 0.
  int IsScannerPresent() const;
};

// Holds ScannerConfig::busy for the length of a TWAIN session.
class BusyMark {
 public:
  explicit BusyMark(ScannerConfig& config) : config_(config) {
    if (config_.onClaim) config_.onClaim(true);
    config_.busy = true;
  }
  ~BusyMark() {
    config_.busy = false;
    if (config_.onClaim) config_.onClaim(false);
  }
  BusyMark(const BusyMark&) = delete;
  BusyMark& operator=(const BusyMark&) = delete;

 private:
  ScannerConfig& config_;
};

}  // namespace ostrel
