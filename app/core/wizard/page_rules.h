#pragma once
// The enabling and correcting rules of the advanced wizard's pages, apart from
// the page area fields (page_geometry.h): what a control enables, what a typed
// value turns into, and what Next stores for the multi-feed box.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings/profile_records.h"

namespace ostrel::wizard {

// --- Destination page ---

enum class DestinationKind { None, Storage, Print, Cloud, Other };

// None: nothing selected. Storage: no program, or "MAIL". Cloud: "GOOGLE".
DestinationKind destinationKind(const CApplicationSetting* destination);

struct DestinationControls {
  bool formatList = true;
  bool destinationProperties = false;
  bool folder = true;  // the field and Browse
  bool selectAtScanTime = true;
  bool subfolder = true;
  bool onlyBmp = false;  // the format list holds "BMP" alone, selected and disabled
  bool clearFolder = false;
};
DestinationControls destinationControls(DestinationKind kind);

// The format codes a destination's list offers, in list order.
std::vector<int> offeredFormats(const CApplicationSetting* destination);

// FileFormatProperty after a change of destination: as for a chosen format
// (formatPropertyForFormat), except that TIFF keeps `current`.
int formatPropertyForDestination(int format, int current);

// --- Scan settings page ---

// "ColorMatch" is offered for the colour modes only; while it is checked the
// tone controls are locked. Gamma is never edited on the page.
bool colorMatchOffered(int scanMode);
bool toneControlsEnabled(int scanMode, bool colorMatchChecked);

// --- Feeding page ---

// An image count that reads as 0 or less becomes "1".
std::optional<std::string> imageCountOnChange(std::string_view text);

// LengthCheck stored by Next. Ultrasonic: 0 when off, else the stored value when
// positive, else 300. Otherwise the length field in inches x 300 when checked.
int lengthCheckOnNext(bool ultrasonicScanner, bool boxChecked, int stored, std::string_view lengthText);

// --- Image processing page ---

struct Despeckle {
  std::string sensitivity;
  std::string range;
};
// The sensitivity field leaving the focus: above 3600 it is 3600 with range 30.
std::optional<Despeckle> despeckleSensitivityOnLeave(std::string_view sensitivity);
// The range field leaving the focus: at least trunc((sqrt(s) - 1) / 2 + 1), at
// most 30; a sensitivity that needs more than 30 is brought down to 3600; both
// 0 give range 1.
std::optional<Despeckle> despeckleRangeOnLeave(std::string_view sensitivity, std::string_view range);

// Despeckle applies to black-and-white scans only; dropout and the preview scan
// to black-and-white and grey.
bool despeckleOffered(int scanMode);
bool dropoutOffered(int scanMode);

// The profile's Dropout once the "Color Dropout" box is toggled: on gives 1
// ("None" selected), off gives 0.
int dropoutOnToggle(int dropout);

}  // namespace ostrel::wizard
