#pragma once
// The rules of the easy configuration dialog: which file formats a destination
// offers, the format property a choice implies, the paper size shown for a
// profile, and Apply, which copies the dialog's fields into the button record
// and its scan profile and saves both.
#include <optional>
#include <string>
#include <vector>

#include "app/settings/profile_store.h"

namespace ostrel {

// What the configuration needs to know of the scanner.
struct ScannerShape {
  bool hasFeeder = false;
  bool hasDuplex = false;
  int maxWidth = 0;  // 1/300 inch
  int maxLength = 0;
};

// The file format list's text for a code ("PDF" for multi-page PDF).
std::string formatListText(int code);

struct FormatChoices {
  std::vector<int> codes;  // in list order
  int selected = -1;       // index into codes; -1 none
  bool listEnabled = false;
  bool folderEnabled = true;  // folder field, Browse and "Select at Scan Time"
};

// The list for a destination (nullptr: none) and the button's FileFormat:
// printing offers only BMP, fixed; any other destination the formats of its
// mask among 1, 2, 4, 8, 16 and 64, the button's selected (32 counts as 64),
// else the first.
FormatChoices formatChoices(const CApplicationSetting* destination, int buttonFormat);

// FileFormatProperty when a destination is chosen: JPEG 1, TIFF 6, PDF 3, else 0.
int formatPropertyForDestination(int code);
// FileFormatProperty when a format is chosen: JPEG 1, PDF 3, else 0.
int formatPropertyForFormat(int code);

// Points the button at destination (nullptr: none) and takes its default
// format; the destination's default folder for the folder field ("" for none).
std::string chooseDestination(CButtonSetting& button, CApplicationSetting* destination);

// The paper size list's selection for a profile: 1 when Automatic is set.
int paperSelection(const CScanSetting& profile);

// Writes the paper size index into the profile: 1 automatic, 0 leaves the
// geometry, 2 the scanner's largest area, 3 to 18 the table's size. A feeder
// centres the sheet, so the horizontal offset is half the width left over,
// never less than 0 (a sheet wider than the scanner starts at its edge).
void applyPaperSize(CScanSetting& profile, int index, const ScannerShape& scanner);

struct EasyFields {
  std::string title;
  std::string scanProfile;         // name shown in the profile list
  std::optional<int> fileFormat;   // item data of the selected format; none selected: kept
  bool selectFolder = false;
  bool selectName = false;
  std::string imageFolder;
  std::string imageName;
  bool bothSides = false;          // "Both Sides" checked
  std::string destination;         // selected name; empty for none
  bool morePages = false;
  int paperSize = 1;
};

// Apply: the fields into button number's record and its profile, then both
// saved. False when the button does not exist or a file could not be written
// (logged).
bool applyEasyFields(ProfileStore& store, int number, const EasyFields& fields, const ScannerShape& scanner);

}  // namespace ostrel
