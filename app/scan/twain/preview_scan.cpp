#include "app/scan/twain/preview_scan.h"

#include <algorithm>

#include "platform/activity_log.h"
#include "scanners/protocol/bitmap_file.h"
#include "scanners/protocol/custom_capabilities.h"

namespace ostrel {

using namespace twain;

CPvDS::CPvDS(TwainManager& manager, const TW_IDENTITY& identity, std::string previewPath)
    : TwainDataSource(manager, identity), previewPath_(std::move(previewPath)) {
  freeAfterTransfer_ = false;  // the page taken from each image frees it
}

int CPvDS::OnNativeImage(TW_HANDLE image) {
  std::string error;
  if (const auto page = manager_.TakeNativeImage(image, &error)) {
    if (writeBitmapFile(*page, previewPath_)) ++written_;
  } else {
    Log("The scanner sent a preview that is not a usable bitmap (" + error + ").");
  }
  return 1;
}

PreviewResult RunPreviewScan(ScannerConfig& config, const std::string& previewPath, int width, int length,
                             const std::string& sourceManagerPath) {
  constexpr double kMaxPreviewInches = 14;
  const BusyMark busy(config);
  TwainManager manager(sourceManagerPath);
  manager.OpenSourceManager(desktopWindow());
  const auto matches = manager.FindSources(config.modelName);
  if (matches.empty()) return PreviewResult::NoDevice;
  auto preview = std::make_unique<CPvDS>(manager, matches.back(), previewPath);
  CPvDS& source = *preview;
  manager.AddSource(std::move(preview));
  if (source.Open() != TWRC_SUCCESS) return PreviewResult::NoDevice;

  source.SetCapability(ICAP_XFERMECH, TWSX_NATIVE, TWTY_UINT16);
  source.SetCapability(ICAP_PIXELTYPE, TWPT_RGB, TWTY_UINT16);
  source.SetFixedCapability(ICAP_XRESOLUTION, 100);
  source.SetFixedCapability(ICAP_YRESOLUTION, 100);
  source.SetFixedCapability(ICAP_BRIGHTNESS, 0);
  source.SetFixedCapability(ICAP_BRIGHTNESS, 0);
  source.SetFixedCapability(ICAP_GAMMA, 1);
  source.SetFixedCapability(ICAP_CONTRAST, 0);
  source.SetCapability(kCapAutomaticSize, 0, TWTY_BOOL);
  source.SetCapability(ICAP_AUTOMATICBORDERDETECTION, 0, TWTY_BOOL);
  const double right = (width > 0 ? width : config.maxWidth) / 300.0;
  const double bottom = std::min((length > 0 ? length : config.maxLength) / 300.0, kMaxPreviewInches);
  source.SetFrame(0, 0, right, bottom);

  source.Enable(false, manager.Parent());
  source.TransferNative();
  source.Disable();
  const int written = source.ImagesWritten();
  manager.CloseSourceManager();
  return written > 0 ? PreviewResult::Written : PreviewResult::NoImage;
}

}  // namespace ostrel
