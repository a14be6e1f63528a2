#pragma once
// RunButtonScan: one TWAIN session for a button press. It marks the scanner
// busy, finds the data source whose product name is the scanner's (the last
// one listed wins), sets its capabilities from the button's scan profile,
// pulls every page into the receiver, and closes everything again.
#include <optional>
#include <stop_token>
#include <string>

#include "app/scan/scan_interfaces.h"
#include "app/scan/user_interface.h"
#include "app/scan/scanner_config.h"
#include "app/scan/twain/button_data_source.h"
#include "app/scan/twain/twain_manager.h"
#include "app/settings/profile_records.h"

namespace ostrel {

// A scan area in 1/300 inch.
struct ScanArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ScanArea&) const = default;
};

// The frame a profile asks for when automatic sizing is off: its own area for
// Custom, the scanner's largest for Maximum Size, else the paper size (centred
// when the scanner feeds centred). None for an index outside the paper table.
std::optional<ScanArea> ProfileFrame(const CScanSetting& scan, const ScannerConfig& config);

// The side the button scans: 0 when the side selector holds 1, 2 when it holds
// 2, else the button's ScanSide.
int RequestedSide(const ScannerConfig& config, const CButtonSetting& button);

// The thirteen capabilities of a button scan, in order.
void SetButtonCapabilities(TwainDataSource& source, const ScannerConfig& config, const CButtonSetting& button,
                           const CScanSetting& scan);

// "No device found" (section "Else", key "Message1") goes to ui when there is
// no source or it will not open. A stop request ends the pass after the page in
// hand, with the pages still pending reset.
PassEnd RunButtonScan(ScannerConfig& config, PageReceiver& target, const CButtonSetting& button, UserInterface& ui,
                      const std::string& sourceManagerPath = defaultSourceManagerPath(),
                      const std::stop_token& stop = {});

}  // namespace ostrel
