#include "app/scan/twain/button_scan.h"

#include <algorithm>
#include <climits>

#include "platform/activity_log.h"
#include "scanners/protocol/custom_capabilities.h"
#include "app/scan/twain/first_event.h"
#include "app/scan/twain/paper_sizes.h"
#include "app/settings/localized_text.h"

namespace ostrel {

using namespace twain;

namespace {

void showNoDevice(const ScannerConfig& config, UserInterface& ui) {
  ui.showMessage(LocalizedText(config.resourceFile)("Else", "Message1", "No device found"), MessageKind::Information);
}

TW_UINT32 flag(bool value) { return value ? 1 : 0; }

// Offset plus size from a profile, which may hold any number: saturated, not overflowed.
int edge(int offset, int size) {
  return static_cast<int>(std::clamp<long long>(static_cast<long long>(offset) + size, INT_MIN, INT_MAX));
}

// A scanner warming up and reading its first page at a high resolution.
constexpr auto kFirstPageLimit = std::chrono::minutes(5);

}  // namespace

std::optional<ScanArea> ProfileFrame(const CScanSetting& scan, const ScannerConfig& config) {
  const auto sizes = paperSizes();
  switch (scan.paperSize) {
    case kPaperCustom:
      return ScanArea{scan.xOffset, scan.yOffset, edge(scan.xOffset, scan.width), edge(scan.yOffset, scan.height)};
    case kPaperMaximum: return ScanArea{0, 0, config.maxWidth, config.maxLength};
    default: break;
  }
  if (scan.paperSize < 0 || static_cast<std::size_t>(scan.paperSize) >= sizes.size()) return std::nullopt;
  const PaperSize& paper = sizes[static_cast<std::size_t>(scan.paperSize)];
  // A sheet wider than the scan area would start left of it: it starts at 0.
  const int left = config.feedsCentred ? std::max(0, (config.maxWidth - paper.width) / 2) : 0;
  return ScanArea{left, 0, left + paper.width, paper.length};
}

int RequestedSide(const ScannerConfig& config, const CButtonSetting& button) {
  if (config.sideSelector == 1) return 0;
  if (config.sideSelector == 2) return 2;
  return button.scanSide;
}

void SetButtonCapabilities(TwainDataSource& source, const ScannerConfig& config, const CButtonSetting& button,
                           const CScanSetting& scan) {
  const bool colourControls = scan.scanMode == 2 || scan.scanMode == 3;
  source.SetCapability(ICAP_XFERMECH, TWSX_NATIVE, TWTY_UINT16);
  source.SetCapability(ICAP_AUTODISCARDBLANKPAGES, static_cast<TW_UINT32>(TWBP_DISABLE), TWTY_INT32);
  source.SetCapability(CAP_DUPLEXENABLED, flag(config.hasDuplex && RequestedSide(config, button) == 2), TWTY_BOOL);
  source.SetCapability(kCapAutomaticColour, flag(scan.scanMode == 3), TWTY_BOOL);
  if (scan.scanMode != 3) source.SetCapability(ICAP_PIXELTYPE, static_cast<TW_UINT32>(scan.scanMode), TWTY_UINT16);
  source.SetFixedCapability(ICAP_XRESOLUTION, scan.resolution);
  source.SetFixedCapability(ICAP_YRESOLUTION, scan.resolution);

  const bool automatic = scan.automatic != 0 || scan.paperSize == kPaperAutomatic;
  source.SetCapability(kCapAutomaticSize, flag(automatic), TWTY_BOOL);
  source.SetCapability(ICAP_AUTOMATICDESKEW, flag(automatic), TWTY_BOOL);
  if (!automatic) {
    if (const auto area = ProfileFrame(scan, config)) {
      source.SetFrame(area->left / 300.0, area->top / 300.0, area->right / 300.0, area->bottom / 300.0);
    } else {
      Log("Paper size " + std::to_string(scan.paperSize) + " is unknown; the scanner's own frame applies.");
    }
  }

  source.SetCapability(ICAP_AUTOMATICROTATE, flag(scan.autoText != 0), TWTY_BOOL);
  source.SetCapability(kCapBackgroundColour, static_cast<TW_UINT32>(scan.backgroundColor), TWTY_UINT16);
  if (colourControls) {
    source.SetFixedCapability(ICAP_BRIGHTNESS, scan.brightness * 10.0);
    source.SetFixedCapability(ICAP_CONTRAST, scan.contrast * 10.0);
    source.SetFixedCapability(ICAP_GAMMA, scan.gamma / 100.0);
  }
  switch (scan.dropout) {
    case 0:
    case 1: source.SetCapability(ICAP_FILTER, TWFT_NONE, TWTY_UINT16); break;
    case 2: source.SetCapability(ICAP_FILTER, TWFT_RED, TWTY_UINT16); break;
    case 3: source.SetCapability(ICAP_FILTER, TWFT_GREEN, TWTY_UINT16); break;
    default: break;
  }
  if (scan.scanMode == 0) source.SetCapability(ICAP_AUTOBRIGHT, 1, TWTY_BOOL);
}

PassEnd RunButtonScan(ScannerConfig& config, PageReceiver& target, const CButtonSetting& button, UserInterface& ui,
                      const std::string& sourceManagerPath, const std::stop_token& stop) {
  const BusyMark busy(config);
  TwainManager manager(sourceManagerPath);
  manager.OpenSourceManager(desktopWindow());
  CBnDS* source = nullptr;  // the last match
  for (const TW_IDENTITY& identity : manager.FindSources(config.modelName)) {
    auto listed = std::make_unique<CBnDS>(manager, identity, target);
    source = listed.get();
    manager.AddSource(std::move(listed));
  }
  if (!source || source->Open() != TWRC_SUCCESS) {
    showNoDevice(config, ui);
    manager.CloseSourceManager();
    return PassEnd::noDevice;
  }

  const CScanSetting defaults;
  if (!button.scanSetting) Log("Button " + button.section + " has no scan profile; default scan settings apply.");
  SetButtonCapabilities(*source, config, button, button.scanSetting ? *button.scanSetting : defaults);
  source->SetDuplex(source->GetCapability(CAP_DUPLEXENABLED) != 0);
  target.DuplexReported(source->Duplex());
  // Asked between images: false ends the transfers with the rest reset.
  source->SetMessagePump([stop] { return !stop.stop_requested(); });

  source->Enable(false, manager.Parent());
  // Transfers start once the source is ready: at once for a virtual scanner,
  // after the first page for a real one.
  // A source that did not enable has no events: the loop finds no image and ends at once.
  const FirstEvent first =
      source->IsEnabled() ? WaitForFirstEvent(*source, stop, kFirstPageLimit) : FirstEvent::TransferReady;
  PassEnd end = PassEnd::scanned;
  switch (first) {
    case FirstEvent::TransferReady:
      source->TransferNative();
      if (stop.stop_requested()) end = PassEnd::stopped;
      break;
    case FirstEvent::CloseRequest:
      Log("The scanner had no page to scan (condition " + std::to_string(manager.ConditionCode(&source->Identity())) +
          ").");
      end = PassEnd::noPaper;
      break;
    case FirstEvent::Stopped: end = PassEnd::stopped; break;
    case FirstEvent::Silent:
      Log("The scanner sent no page within five minutes; the scan is given up.");
      end = PassEnd::silent;
      break;
  }

  source->Disable();
  source->Close();
  manager.CloseSourceManager();
  return end;
}

}  // namespace ostrel
