#include "app/settings/destination_catalog.h"

#include <span>
#include <string_view>

#include "app/settings/application_markers.h"
#include "app/settings/profile_path.h"
#include "app/settings/program_search.h"

namespace ostrel {

namespace {

// A program that is not installed still gets a fixed path where the package
// would put it, as the catalog names fixed system paths: the row is skipped
// while the program is missing and works once it is installed.
std::string desktopProgram(std::span<const std::string_view> names) {
  const std::string found = findProgramOnPath(names);
  return found.empty() ? "/usr/bin/" + std::string(names.front()) : found;
}

CApplicationSetting row(int section, std::string_view title, std::string path, std::string defaultFolder,
                        int imageFormatCheck, int defaultFormat) {
  CApplicationSetting destination;
  destination.section = std::to_string(section);
  destination.title = title;
  destination.path = std::move(path);
  destination.defaultFolder = std::move(defaultFolder);
  destination.imageFormatCheck = imageFormatCheck;
  destination.defaultFormat = defaultFormat;
  return destination;
}

}  // namespace

std::vector<CApplicationSetting> builtInDestinations() {
  // Kept with the marker: the template may be made by one user and copied for
  // others, and loading expands it for whoever runs the program.
  const std::string folder = std::string(kMyDocumentsMarker) + "/Ostrel/";
  const int text = format::kText | format::kRichText;
  return {
      row(0, "Storage", "", folder, -1, format::kMultiPdf),
      row(1, "Print", destination::kPrint, folder, -1, format::kBmp),
      row(2, "mspaint", desktopProgram(counterpart::kPaint), folder, 15, format::kJpeg),
      row(3, "Google Docs", destination::kGoogle, folder, -2, format::kMultiPdf),
      row(4, "eMail", destination::kMail, folder, -1, format::kMultiPdf),
      row(5, "notepad", desktopProgram(counterpart::kTextEditor), folder, text, format::kRichText),
      row(6, "Wordpad", desktopProgram(counterpart::kWordProcessor), folder, text, format::kRichText),
      row(7, "Photoshop", std::string(marker::kPhotoshop), folder, text, format::kJpeg),
      row(8, "Word", std::string(marker::kWord), folder, text, format::kText),
      row(9, "Adobe Acrobat", std::string(marker::kAcrobat), folder, text, format::kMultiPdf),
      row(10, "Adobe Reader", std::string(marker::kReader), folder, text, format::kMultiPdf),
      row(11, "PageManager", std::string(marker::kPageManager), folder, -1, format::kMultiPdf),
  };
}

std::vector<CApplicationSetting> fallbackDestinations() {
  const std::string folder = defaultFolderBase();
  return {
      row(0, "Storage", "", folder, -1, 0),
      row(1, "Print", destination::kPrint, "", 0, 0),
      row(2, "eMail", destination::kMail, "", -1, 0),
      row(3, "mspaint", desktopProgram(counterpart::kPaint), folder, 15, 0),
      row(4, "Google Docs", destination::kGoogle, "", -2, 0),
      row(5, "notepad", desktopProgram(counterpart::kTextEditor), folder, 15, 0),
      row(6, "Wordpad", desktopProgram(counterpart::kWordProcessor), folder, 15, 0),
  };
}

}  // namespace ostrel
