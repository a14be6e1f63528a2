#include "app/core/button_dispatcher.h"

#include "platform/activity_log.h"
#include "app/core/localized_text.h"
#include "app/core/manager_messages.h"

namespace ostrel {

namespace {

// Sets a flag for the life of a scope, also when the scope is left early.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

void ButtonDispatcher::onManagerMessage(std::int32_t message, std::int32_t first,
                                        std::int32_t second) {
  if (message == manager_message::kButtonEvent && first >= 0 && first <= 9 &&
      (second == 1 || second == 2)) {
    onButtonEvent(first, second);
  } else if (message == manager_message::kCommand && first == manager_message::kExitCommand) {
    exit();
  } else {
    Log("Ostrel ignored a message it does not know: " + std::to_string(message) + ", " +
        std::to_string(first) + ", " + std::to_string(second) + ".");
  }
}

void ButtonDispatcher::onButtonEvent(int button, int kind) {
  if (button == 0) {
    openConfiguration(0);
    return;
  }
  if (parts_.scanner.sideSelector() >= 0) parts_.scanner.setSideSelector(kind);
  if (promptOpen_) {
    // A button pressed while the prompt asks for more pages means "more".
    parts_.morePages.accept();
    return;
  }
  PressButton(button);
}

void ButtonDispatcher::PressButton(int number) {
  Log(formatWithNumber(text_("Else", "Message11", "Button %d is clicked."), number));
  // A press that arrives while another one is still on its way (in a dialog, a
  // scan or a delivery) would start a second job inside the first one.
  if (parts_.scanner.busy() || pressRunning_) {
    Log("Job is canceled due to the scanner is doing with another job.");
    return;
  }
  if (number < 1 || number > parts_.scanner.buttonCount()) return;
  CButtonSetting* button = parts_.profiles.button(number);
  if (!button) return;
  currentButton_ = number;
  if (!button->applicationSetting) {
    openConfiguration(number);
    return;
  }
  FlagScope running(pressRunning_);

  if (button->applicationSetting->path == destination::kGoogle &&
      (button->account.empty() || button->password.empty())) {
    std::optional<std::string> folderId;
    runModal(parts_.cloudAccount, [&] { folderId = parts_.cloudAccount.run(*button, number); });
    if (!folderId) return;
    button->id = *folderId;
  }

  parts_.panel.showBalloon(
      formatWithNumber(text_("Else", "Message12", "Scan Images with Button %d"), number));
  if (parts_.job.StartOutput(*button) == 0 || parts_.job.loginFailed()) return;
  scanOnce(*button);
  while (button->morePages == 1) {
    bool more = false;
    {
      FlagScope asking(promptOpen_);
      more = parts_.morePages.ask();
    }
    if (!more) break;
    scanOnce(*button);
  }
  parts_.job.FinishOutput();
}

void ButtonDispatcher::scanOnce(CButtonSetting& button) {
  parts_.scanner.writeDriverSettings(button);
  parts_.session.run(button, parts_.job);
}

void ButtonDispatcher::openConfiguration(int button) {
  Log(button == 0 ? "OBX is Configuring....." : "OBX is Configuring....");
  runModal(parts_.configuration, [&] { parts_.configuration.run(button); });
  parts_.panel.refreshButtons();
  Log("OBX Configuration finished.");
}

void ButtonDispatcher::showAbout() {
  runModal(parts_.about, [&] { parts_.about.run(); });
}

void ButtonDispatcher::onDeviceListChanged() {
  if (!parts_.scanner.isPresent()) exit();
}

void ButtonDispatcher::exit() {
  parts_.panel.removeNotificationIcon();
  if (openModal_) openModal_->requestClose();
  if (parts_.fax.started()) parts_.fax.stop();
  parts_.panel.endRun();
}

void ButtonDispatcher::runModal(ModalDialog& dialog, auto&& run) {
  ModalDialog* const outer = openModal_;
  openModal_ = &dialog;
  run();
  openModal_ = outer;
}

}  // namespace ostrel
