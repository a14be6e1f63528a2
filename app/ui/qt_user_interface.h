#pragma once
// The program's logic asking the user, answered with Qt's message boxes and
// file dialogs on the window thread. A scan job asks from its own thread and
// waits for the answer; once stop is requested (the manager is ending) it waits
// no more and the request counts as cancelled.
#include <stop_token>

#include "app/scan/user_interface.h"

class QMessageBox;
class QWidget;

namespace ostrel {

// The program's box for a message of this kind; the caller shows and owns it.
QMessageBox* newMessageBox(std::string_view text, MessageKind kind, QWidget* parent = nullptr);

class QtUserInterface : public UserInterface {
 public:
  explicit QtUserInterface(std::stop_token stop = {}) : stop_(std::move(stop)) {}

  void showMessage(std::string_view text, MessageKind kind) override;
  std::optional<std::string> browseForFolder(std::string_view title,
                                             std::string_view startFolder) override;
  std::optional<std::string> askSaveName(const SaveNameRequest& request) override;

 private:
  std::stop_token stop_;
};

}  // namespace ostrel
