#pragma once
// The manager's scanner: the scanner driver configuration of the whole run.
#include "app/core/manager_interfaces.h"
#include "app/scan/scanner_config.h"

namespace ostrel {

class ConfiguredScanner : public ScannerDriver {
 public:
  explicit ConfiguredScanner(ScannerConfig& config) : config_(config) {}

  bool findDriver(std::string_view deviceName) override {
    return config_.FindDriver(std::string(deviceName)) == 1;
  }
  std::string scannerName() const override { return config_.modelName; }
  bool queryAbilities() override { return config_.QueryScannerAbilities() == 1; }
  int buttonCount() const override { return config_.buttonCount; }
  bool busy() const override { return config_.busy; }
  int sideSelector() const override { return config_.sideSelector; }
  void setSideSelector(int side) override { config_.sideSelector = side; }
  bool isPresent() override { return config_.IsScannerPresent() == 1; }
  void writeDriverSettings(const CButtonSetting& button) override {
    config_.WriteDriverSettings(button);
  }

 private:
  ScannerConfig& config_;
};

}  // namespace ostrel
