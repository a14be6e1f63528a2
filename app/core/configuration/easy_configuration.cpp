#include "app/core/configuration/easy_configuration.h"

#include <algorithm>

#include "app/scan/twain/paper_sizes.h"
#include "platform/activity_log.h"

namespace ostrel {

namespace {

// The formats a list may offer, in list order; single-page PDF is never offered.
constexpr int kListedFormats[] = {format::kBmp,  format::kJpeg,      format::kGif,
                                  format::kTiff, format::kMultiTiff, format::kMultiPdf};

bool isPdf(int code) { return code == format::kPdf || code == format::kMultiPdf; }

}  // namespace

std::string formatListText(int code) {
  switch (code) {
    case format::kBmp:
      return "BMP";
    case format::kJpeg:
      return "JPG";
    case format::kGif:
      return "GIF";
    case format::kTiff:
      return "Single-Page TIFF";
    case format::kMultiTiff:
      return "Multi-Page TIFF";
    case format::kPdf:
    case format::kMultiPdf:
      return "PDF";
    default:
      return {};
  }
}

FormatChoices formatChoices(const CApplicationSetting* destination, int buttonFormat) {
  FormatChoices choices;
  if (!destination) return choices;
  if (destination->path == destination::kPrint) {
    choices.codes = {format::kBmp};
    choices.selected = 0;
    choices.folderEnabled = false;
    return choices;
  }
  choices.listEnabled = true;
  const int wanted = buttonFormat == format::kPdf ? format::kMultiPdf : buttonFormat;
  for (const int code : kListedFormats) {
    if (!(destination->imageFormatCheck & code)) continue;
    if (code == wanted) choices.selected = static_cast<int>(choices.codes.size());
    choices.codes.push_back(code);
  }
  if (choices.selected < 0 && !choices.codes.empty()) choices.selected = 0;
  return choices;
}

int formatPropertyForDestination(int code) {
  if (code == format::kJpeg) return 1;
  if (code == format::kTiff || code == format::kMultiTiff) return 6;
  if (isPdf(code)) return 3;
  return 0;
}

int formatPropertyForFormat(int code) {
  if (code == format::kJpeg) return 1;
  if (isPdf(code)) return 3;
  return 0;
}

std::string chooseDestination(CButtonSetting& button, CApplicationSetting* destination) {
  button.applicationSetting = destination;
  if (!destination) return {};
  button.fileFormat = destination->defaultFormat;
  return destination->defaultFolder;
}

int paperSelection(const CScanSetting& profile) { return profile.automatic ? kPaperAutomatic : profile.paperSize; }

void applyPaperSize(CScanSetting& profile, int index, const ScannerShape& scanner) {
  const auto sizes = paperSizes();
  if (index < 0 || index >= static_cast<int>(sizes.size())) {
    Log("Paper size " + std::to_string(index) + " is not in the table; the profile keeps its size.");
    return;
  }
  profile.paperSize = index;
  profile.automatic = index == kPaperAutomatic ? 1 : 0;
  if (index == kPaperCustom || index == kPaperAutomatic) return;
  const bool largest = index == kPaperMaximum;
  profile.width = largest ? scanner.maxWidth : sizes[index].width;
  profile.height = largest ? scanner.maxLength : sizes[index].length;
  profile.yOffset = 0;
  profile.xOffset = scanner.hasFeeder ? std::max(0, (scanner.maxWidth - profile.width) / 2) : 0;
}

bool applyEasyFields(ProfileStore& store, int number, const EasyFields& fields, const ScannerShape& scanner) {
  CButtonSetting* button = store.Button(number);
  if (!button) {
    Log("Button " + std::to_string(number) + " does not exist; nothing is applied.");
    return false;
  }
  button->title = fields.title;
  if (CScanSetting* profile = store.FindScanSetting(fields.scanProfile)) button->scanSetting = profile;
  if (fields.fileFormat) button->fileFormat = *fields.fileFormat;
  button->selectFolder = fields.selectFolder ? 1 : 0;
  button->selectName = fields.selectName ? 1 : 0;
  button->imageFolder = fields.imageFolder;
  button->imageName = fields.imageName;
  button->scanSide = fields.bothSides ? 2 : 0;
  button->applicationSetting =
      fields.destination.empty() ? nullptr : store.FindApplicationSetting(fields.destination);
  button->morePages = fields.morePages ? 1 : 0;
  if (button->scanSetting) applyPaperSize(*button->scanSetting, fields.paperSize, scanner);
  if (store.SaveButtonSetting(*button)) return true;
  Log("Button " + std::to_string(number) + " could not be written to " + store.buttonSettingPath() + ".");
  return false;
}

}  // namespace ostrel
