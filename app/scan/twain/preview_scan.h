#pragma once
// The preview scan of the scan-settings page: CPvDS writes each image it
// receives to the preview file as a BMP file.
#include <string>

#include "app/scan/scanner_config.h"
#include "app/scan/twain/twain_data_source.h"

namespace ostrel {

class CPvDS : public TwainDataSource {
 public:
  CPvDS(TwainManager& manager, const twain::TW_IDENTITY& identity, std::string previewPath);

  int OnNativeImage(twain::TW_HANDLE image) override;
  int ImagesWritten() const { return written_; }

 private:
  std::string previewPath_;
  int written_ = 0;
};

enum class PreviewResult {
  NoDevice,  // no source, or it will not open: the dialog says "No device found"
  NoImage,   // the source delivered nothing
  Written,
};

// Scans a colour preview at 100 dpi of the area from the top left corner, width
// by length in 1/300 inch (0: the scanner's largest), at most 14 inches long.
PreviewResult RunPreviewScan(ScannerConfig& config, const std::string& previewPath, int width = 0, int length = 0,
                             const std::string& sourceManagerPath = defaultSourceManagerPath());

}  // namespace ostrel
