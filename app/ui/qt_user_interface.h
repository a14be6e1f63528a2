#pragma once
// The program's logic asking the user, answered with Qt's message boxes and
// file dialogs.
#include "app/scan/user_interface.h"

namespace ostrel {

class QtUserInterface : public UserInterface {
 public:
  void showMessage(std::string_view text, MessageKind kind) override;
  std::optional<std::string> browseForFolder(std::string_view title,
                                             std::string_view startFolder) override;
  std::optional<std::string> askSaveName(const SaveNameRequest& request) override;
};

}  // namespace ostrel
