#pragma once
// One pass of the feeder through the scanner's TWAIN data source, its pages
// handed to the scan job as they arrive.
#include <functional>
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
  void run(CButtonSetting& button, ScanJob& job) override;

  // The manager's events, handled between pages while a pass runs (see
  // RunButtonScan); false ends the pass after the page in hand.
  void setEventPump(std::function<bool()> pump) { pump_ = std::move(pump); }

 private:
  ScannerConfig& config_;
  UserInterface& ui_;
  std::string sourceManagerPath_;
  std::function<bool()> pump_;
};

}  // namespace ostrel
