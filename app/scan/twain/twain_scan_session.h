#pragma once
// One pass of the feeder through the scanner's TWAIN data source, its pages
// handed to the scan job as they arrive.
#include <string>

#include "app/scan/scan_interfaces.h"
#include "app/scan/user_interface.h"
#include "app/scan/scanner_config.h"

namespace ostrel {

class TwainScanSession : public ScanSession {
 public:
  // The source manager is the one beside the program unless told otherwise.
  TwainScanSession(ScannerConfig& config, UserInterface& ui, std::string sourceManagerPath = {})
      : config_(config), ui_(ui), sourceManagerPath_(std::move(sourceManagerPath)) {}
  PassEnd run(CButtonSetting& button, ScanJob& job, const PassControl& control) override;

 private:
  ScannerConfig& config_;
  UserInterface& ui_;
  std::string sourceManagerPath_;
};

}  // namespace ostrel
