#pragma once
// One pass of the feeder through the scanner's TWAIN data source, its pages
// handed to the scan job as they arrive.
#include "app/core/manager_interfaces.h"
#include "app/core/user_interface.h"
#include "app/scan/scanner_config.h"

namespace ostrel {

class TwainScanSession : public ScanSession {
 public:
  TwainScanSession(ScannerConfig& config, UserInterface& ui) : config_(config), ui_(ui) {}
  void run(CButtonSetting& button, ScanJob& job) override;

 private:
  ScannerConfig& config_;
  UserInterface& ui_;
};

}  // namespace ostrel
