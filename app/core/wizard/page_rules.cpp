#include "app/core/wizard/page_rules.h"

#include <cmath>

#include "app/core/configuration/easy_configuration.h"
#include "app/core/wizard/page_geometry.h"
#include "imaging/format_codes.h"

namespace ostrel::wizard {

DestinationKind destinationKind(const CApplicationSetting* destination) {
  if (!destination) return DestinationKind::None;
  const std::string& path = destination->path;
  if (path.empty() || path == destination::kMail) return DestinationKind::Storage;
  if (path == destination::kPrint) return DestinationKind::Print;
  if (path == destination::kGoogle) return DestinationKind::Cloud;
  return DestinationKind::Other;
}

DestinationControls destinationControls(DestinationKind kind) {
  DestinationControls controls;
  switch (kind) {
    case DestinationKind::None:
      controls.formatList = false;
      break;
    case DestinationKind::Storage:
      break;
    case DestinationKind::Print:
      controls.destinationProperties = true;
      controls.folder = false;
      controls.clearFolder = true;
      controls.selectAtScanTime = false;
      controls.subfolder = false;
      controls.onlyBmp = true;
      controls.formatList = false;
      break;
    case DestinationKind::Cloud:
      controls.destinationProperties = true;
      controls.subfolder = false;
      break;
    case DestinationKind::Other:
      controls.destinationProperties = true;
      break;
  }
  return controls;
}

std::vector<int> offeredFormats(const CApplicationSetting* destination) {
  if (!destination) return {};
  if (destinationKind(destination) == DestinationKind::Print) return {format::kBmp};
  std::vector<int> formats;
  for (const int code : {format::kBmp, format::kJpeg, format::kGif, format::kTiff, format::kMultiTiff,
                         format::kMultiPdf}) {
    if (destination->imageFormatCheck & code) formats.push_back(code);
  }
  return formats;
}

int formatPropertyForDestination(int code, int current) {
  if (code == format::kTiff || code == format::kMultiTiff) return current;
  return formatPropertyForFormat(code);
}

bool colorMatchOffered(int scanMode) { return scanMode == 2 || scanMode == 3; }

bool toneControlsEnabled(int scanMode, bool colorMatchChecked) {
  return !(colorMatchOffered(scanMode) && colorMatchChecked);
}

std::optional<std::string> imageCountOnChange(std::string_view text) {
  if (integerFromText(text) <= 0) return "1";
  return std::nullopt;
}

int lengthCheckOnNext(bool ultrasonicScanner, bool boxChecked, int stored, std::string_view lengthText) {
  if (ultrasonicScanner) {
    if (!boxChecked) return 0;
    return stored > 0 ? stored : 300;
  }
  return boxChecked ? truncated(numberFromText(lengthText) * 300.0) : 0;
}

std::optional<Despeckle> despeckleSensitivityOnLeave(std::string_view sensitivity) {
  if (integerFromText(sensitivity) > 3600) return Despeckle{"3600", "30"};
  return std::nullopt;
}

std::optional<Despeckle> despeckleRangeOnLeave(std::string_view sensitivity, std::string_view range) {
  const int s = integerFromText(sensitivity);
  const int r = integerFromText(range);
  // Single precision, as the limit was first worked out; a negative sensitivity
  // has no root and needs no range.
  const float root = s > 0 ? std::sqrt(static_cast<float>(s)) : 0.0f;
  const int m = static_cast<int>((root - 1.0f) * 0.5f + 1.0f);
  Despeckle result{std::string(sensitivity), std::string(range)};
  bool changed = false;
  if (r < m && m < 31) {
    result.range = std::to_string(m);
    changed = true;
  } else if (r > 30) {
    result.range = "30";
    changed = true;
  } else if (r < m && m >= 31) {
    result = {"3600", "30"};
    changed = true;
  }
  if (integerFromText(result.sensitivity) == 0 && integerFromText(result.range) == 0) {
    result.range = "1";
    changed = true;
  }
  return changed ? std::optional(result) : std::nullopt;
}

bool despeckleOffered(int scanMode) { return scanMode == 0; }

bool dropoutOffered(int scanMode) { return scanMode == 0 || scanMode == 1; }

int dropoutOnToggle(int dropout) { return dropout != 0 ? 0 : 1; }

}  // namespace ostrel::wizard
