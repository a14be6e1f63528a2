#pragma once
// What the configuration window and its children work on: the scanner's
// profiles, what the configuration needs of the scanner, the program's folder
// (texts file, cloud chooser library) and the cloud account dialog.
#include <functional>
#include <string>

#include "app/core/configuration/easy_configuration.h"
#include "app/core/manager_interfaces.h"
#include "app/scan/scanner_config.h"
#include "app/settings/localized_text.h"

namespace ostrel {

struct ConfigContext {
  ProfileStore& store;
  ScannerShape scanner;
  std::string scannerName;
  std::string programFolder;
  LocalizedText texts;
  CloudAccountDialog& cloudAccount;
  // The scanner itself, which the wizard's preview scan opens; without it the
  // preview finds no device.
  ScannerConfig* scannerConfig = nullptr;
  // Set while advanced mode runs: ends the wizard as a page's close box does.
  std::function<void()> closeAdvancedMode{};
};

}  // namespace ostrel
