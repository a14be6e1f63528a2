#pragma once
// What the manager does with a button: the button events that arrive from the
// scanner (directly or forwarded by another copy), clicks in the panel's list,
// the configuration and about windows, the device-change check and the exit
// sequence. It runs on the panel's thread; dialogs and scans run nested inside
// its calls, which is why it guards against a second press while one runs.
#include <cstdint>

#include "app/core/localized_text.h"
#include "app/core/manager_interfaces.h"

namespace ostrel {

struct DispatcherParts {
  ScannerDriver& scanner;
  ButtonProfiles& profiles;
  ScanJob& job;
  ScanSession& session;
  ConfigurationWindow& configuration;
  CloudAccountDialog& cloudAccount;
  AboutBox& about;
  MorePagesPrompt& morePages;
  FaxService& fax;
  PanelView& panel;
};

class ButtonDispatcher {
 public:
  explicit ButtonDispatcher(DispatcherParts parts) : parts_(parts) {}

  // A record that arrived on the manager socket.
  void onManagerMessage(std::int32_t message, std::int32_t first, std::int32_t second);

  // A button event: button 0 opens the configuration window; kind 1 one side,
  // 2 both sides, 0 a click in the panel (the button's own side setting).
  void onButtonEvent(int button, int kind);
  void onTitleClicked(int button) { onButtonEvent(button, 0); }

  // The scan of one button, from the button's record to its delivery.
  void PressButton(int number);

  // button 0: from the menu; 1..9: for that button.
  void openConfiguration(int button);
  void showAbout();
  // The device list changed: a scanner that is gone ends the manager.
  void onDeviceListChanged();
  void exit();

  // The number of the last button pressed (0 before any).
  int currentButton() const { return currentButton_; }

 private:
  void runModal(ModalDialog& dialog, auto&& run);
  void scanOnce(CButtonSetting& button);

  DispatcherParts parts_;
  LocalizedText text_ = programTexts();
  int currentButton_ = 0;
  ModalDialog* openModal_ = nullptr;
  bool promptOpen_ = false;
  bool pressRunning_ = false;
};

}  // namespace ostrel
