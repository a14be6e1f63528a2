#pragma once
// What the manager does with a button: the button events that arrive from the
// scanner (directly or forwarded by another copy), clicks in the panel's list,
// the configuration and about windows, the device-change check and the exit
// sequence. It runs on the panel's thread; the job of a press (output, passes
// of the feeder, the more-pages prompt, delivery) runs through the JobRunner,
// away from it, and reports back. One press at a time: another one meanwhile
// is refused, and the configuration, which edits the job's records, waits for
// the job to end.
#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "app/core/held_messages.h"
#include "app/core/job_runner.h"
#include "app/core/localized_text.h"
#include "app/core/manager_interfaces.h"

namespace ostrel {

struct DispatcherParts {
  ScannerDriver& scanner;
  ButtonProfiles& profiles;
  ScanJob& job;
  ScanSession& session;
  JobRunner& jobs;
  HeldMessages& messages;  // what the job tells the user, shown once it has ended
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
  // Ends the manager's run; with a job running, once it has ended.
  void exit();

  // The number of the last button pressed (0 before any).
  int currentButton() const { return currentButton_; }

  // Told after each button event has been handled and when a job ends: how
  // many events were handled and whether a job runs. A button daemon's action
  // waits on it for the scan of its press to end.
  using StateObserver = std::function<void(int eventsHandled, bool jobRunning)>;
  void setStateObserver(StateObserver observer) { stateObserver_ = std::move(observer); }

 private:
  enum class Press { none, askingAccount, scanning };

  void runModal(ModalDialog& dialog, auto&& run);
  void handleButtonEvent(int button, int kind);
  void takeSide(int kind);
  void reportState();
  void runJob(CButtonSetting& button, const std::stop_token& stop);
  void scanOnce(CButtonSetting& button, const PassControl& control);
  void jobEnded(int pages, const std::vector<std::string>& files);
  void finishExit();

  DispatcherParts parts_;
  LocalizedText text_ = programTexts();
  int currentButton_ = 0;
  ModalDialog* openModal_ = nullptr;
  Press press_ = Press::none;
  std::optional<int> configurationAfterJob_;
  bool presenceCheckAfterJob_ = false;
  int eventsHandled_ = 0;
  StateObserver stateObserver_;
};

}  // namespace ostrel
