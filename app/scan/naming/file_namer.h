#pragma once
// NextFileName: the full path of the next file a scan job writes, from the
// button's naming pattern, the output folder and the format's extension, with
// numbered names probed so no existing file is overwritten, and the name dialog
// when the button asks for it. The job owns the counter, the output folder and
// the barcode text (NamingState); the namer reads and updates them in place.
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "app/scan/user_interface.h"
#include "app/settings/profile_records.h"

namespace ostrel {

// Paths are kept within this many UTF-16 units, as through a 260-unit buffer.
inline constexpr std::size_t kMaxPathUnits = 259;

struct NamingState {
  int counter = 0;            // raised here past existing numbered files
  std::string outputFolder;   // ends with '/'
  std::string barcodeText;    // consumed by the first "B" of a name
};

// The clock and the system names; tests replace them.
struct NamingEnvironment {
  std::function<std::optional<std::tm>()> localTime;
  std::function<std::optional<std::string>()> userName;
  std::function<std::optional<std::string>()> computerName;

  static NamingEnvironment system();
};

class FileNamer {
 public:
  FileNamer(NamingState& state, UserInterface& ui, std::string resourceFile,
            NamingEnvironment environment = NamingEnvironment::system());

  std::string NextFileName(const CButtonSetting& button, bool checkExisting);

  // The folder with the dated subfolder chosen by subfolderName (0 to 5) at the
  // current local date; the folder alone for other values.
  std::string WithSubfolder(const std::string& folder, int subfolderName);

 private:
  class Source;

  NamingState& state_;
  UserInterface& ui_;
  std::string resourceFile_;
  NamingEnvironment environment_;
};

}  // namespace ostrel
