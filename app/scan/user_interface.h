#pragma once
// What the program's logic may ask of the user. The core reports and asks through
// this interface and never opens a window itself: app/ui/ implements it with Qt
// dialogs, tests with a recorder that answers from a script.
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

enum class MessageKind { Information, Warning, Error };

struct SaveNameRequest {
  std::string proposedName;      // base name without folder or extension
  std::string startFolder;       // where the dialog opens
  std::string filterText;        // e.g. "Image Files (*.bmp)"
  std::string defaultExtension;  // without the dot, e.g. "bmp"
};

class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // A message for the user. In the program it also goes into the activity log,
  // and a scan job's messages are shown once the job has ended.
  virtual void showMessage(std::string_view text, MessageKind kind) = 0;

  // The folder browser; nullopt when the user cancels.
  virtual std::optional<std::string> browseForFolder(std::string_view title,
                                                     std::string_view startFolder) = 0;

  // The save-file dialog with an overwrite prompt; the chosen full path, or
  // nullopt when the user cancels.
  virtual std::optional<std::string> askSaveName(const SaveNameRequest& request) = 0;
};

}  // namespace ostrel
