#include "app/core/configuration/destination_properties.h"

#include <array>

#include "platform/activity_log.h"

namespace ostrel {

namespace {

constexpr std::array<FormatBox, 10> kFormatBoxes{{
    {format::kBmp, "BMP"},
    {format::kJpeg, "JPG"},
    {format::kGif, "GIF"},
    {format::kTiff, "Tiff"},
    {format::kMultiTiff, "Multi-TIFF"},
    {format::kPdf, "PDF"},
    {format::kMultiPdf, "Multi-PDF"},
    {format::kText, "TXT"},
    {format::kRichText, "RTF"},
    {format::kWordDocument, "DOC"},
}};

constexpr std::array<int, 10> kDefaultFormatOrder{
    format::kMultiPdf, format::kPdf,  format::kJpeg,         format::kMultiTiff, format::kTiff,
    format::kBmp,      format::kGif,  format::kWordDocument, format::kRichText,  format::kText};

void fill(CApplicationSetting& destination, DestinationKind kind, const DestinationFields& fields) {
  switch (kind) {
    case DestinationKind::storageOnly:
      destination.path.clear();
      break;
    case DestinationKind::printing:
      destination.path = destination::kPrint;
      break;
    case DestinationKind::program:
      destination.path = fields.path;
      break;
  }
  destination.title = fields.title;
  destination.beforeFix = fields.beforeFix;
  destination.afterFix = fields.afterFix;
  destination.folderOnly = fields.folderOnly ? 1 : 0;
  destination.singleEvent = fields.singleEvent ? 1 : 0;
  destination.imageFormatCheck = fields.formatMask;
  destination.defaultFormat = defaultFormatFor(fields.formatMask, destination.defaultFormat);
}

bool save(ProfileStore& store, const CApplicationSetting& destination) {
  if (store.SaveApplicationSetting(destination)) return true;
  Log("The destination \"" + destination.title + "\" could not be written to " +
      store.applicationSettingPath() + ".");
  return false;
}

}  // namespace

DestinationKind destinationKind(const CApplicationSetting& destination) {
  if (destination.path.empty()) return DestinationKind::storageOnly;
  if (destination.path == destination::kPrint) return DestinationKind::printing;
  return DestinationKind::program;
}

std::span<const FormatBox> formatBoxes() { return kFormatBoxes; }

int defaultFormatFor(int acceptedMask, int current) {
  for (const int code : kDefaultFormatOrder) {
    if (acceptedMask & code) return code;
  }
  return current;
}

std::string programNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  // A leading dot names a hidden file, not an extension.
  if (const std::size_t dot = name.find_last_of('.'); dot != std::string_view::npos && dot > 0) {
    name = name.substr(0, dot);
  }
  return std::string(name);
}

DestinationOutcome acceptDestinationProperties(ProfileStore& store, std::string_view openedName,
                                               const DestinationFields& fields) {
  DestinationOutcome outcome;
  if (CApplicationSetting* existing = store.FindApplicationSetting(openedName)) {
    const DestinationKind kind = destinationKind(*existing);
    if (kind == DestinationKind::program && fields.path.empty()) {
      outcome.problem = DestinationProblem::pathEmpty;
      return outcome;
    }
    fill(*existing, kind, fields);
    outcome.changed = true;
    outcome.saved = save(store, *existing);
    outcome.name = existing->title;
    outcome.defaultFormat = existing->defaultFormat;
    return outcome;
  }

  if (fields.title.empty()) {
    outcome.problem = DestinationProblem::nameEmpty;
  } else if (store.FindApplicationSetting(fields.title)) {
    outcome.problem = DestinationProblem::nameTaken;
  } else if (fields.path.empty()) {
    outcome.problem = DestinationProblem::pathEmpty;
  }
  if (outcome.problem != DestinationProblem::none) return outcome;

  CApplicationSetting* added = store.AddApplicationSetting();
  if (!added) {
    Log("No destination file is known; the destination \"" + fields.title + "\" is not added.");
    return outcome;
  }
  fill(*added, DestinationKind::program, fields);
  outcome.changed = true;
  outcome.saved = save(store, *added);
  outcome.name = added->title;
  outcome.defaultFormat = added->defaultFormat;
  outcome.created = true;
  return outcome;
}

}  // namespace ostrel
