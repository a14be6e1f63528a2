#pragma once
// What the destination properties dialog does with its fields: the kind of a
// destination, the default format its accepted formats give, and OK for an
// existing or a new destination, with the checks that keep the dialog open.
#include <span>
#include <string>
#include <string_view>

#include "app/settings/profile_store.h"

namespace ostrel {

enum class DestinationKind {
  program,      // a program path (or marker) in the path field
  storageOnly,  // empty path: the files stay in their folder
  printing,     // "PRINT"
};

DestinationKind destinationKind(const CApplicationSetting& destination);

struct FormatBox {
  int bit;
  const char* label;
};
// The accepted-format check boxes in format code order.
std::span<const FormatBox> formatBoxes();

// The first accepted format in the order 64, 32, 2, 16, 8, 1, 4, 512, 256, 128;
// with none accepted, current stays.
int defaultFormatFor(int acceptedMask, int current);

// The program's name as the name field takes it: the file name without its
// extension ("/usr/bin/viewer.exe" gives "viewer").
std::string programNameOf(std::string_view path);

struct DestinationFields {
  std::string title;
  std::string path;  // the path field; ignored unless the kind is program
  std::string beforeFix;
  std::string afterFix;
  bool folderOnly = false;
  bool singleEvent = false;
  int formatMask = 0;
};

enum class DestinationProblem {
  none,
  pathEmpty,    // "Message1", focus on the path field
  nameEmpty,    // "Message1", focus on the name field
  nameTaken,    // "Message2", focus on the name field
};

struct DestinationOutcome {
  DestinationProblem problem = DestinationProblem::none;
  std::string name;       // the destination's name after OK
  int defaultFormat = 0;  // of a new destination
  bool changed = false;  // a destination was changed or added
  bool created = false;
  bool saved = false;  // false: kept in memory only, and logged
};

// OK of the dialog opened with openedName: an existing destination is changed
// (kind kept: storage-only and printing keep their paths), any other name adds a
// new program destination. Saved at once; nothing changes on a problem. A new
// destination needs a known destination file: without one nothing is added
// (created stays false) and a log line says so.
DestinationOutcome acceptDestinationProperties(ProfileStore& store, std::string_view openedName,
                                               const DestinationFields& fields);

}  // namespace ostrel
