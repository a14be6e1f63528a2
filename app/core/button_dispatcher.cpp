#include "app/core/button_dispatcher.h"

#include <utility>

#include "platform/activity_log.h"
#include "app/core/job_notice.h"
#include "app/core/localized_text.h"
#include "app/core/manager_messages.h"

namespace ostrel {

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
  handleButtonEvent(button, kind);
  ++eventsHandled_;
  reportState();
}

void ButtonDispatcher::reportState() {
  if (stateObserver_) stateObserver_(eventsHandled_, press_ == Press::scanning);
}

void ButtonDispatcher::handleButtonEvent(int button, int kind) {
  if (button == 0) {
    openConfiguration(0);
    return;
  }
  if (parts_.morePages.isOpen()) {
    // A button pressed while the prompt asks for more pages means "more".
    takeSide(kind);
    parts_.morePages.accept();
    return;
  }
  // A press that is refused must not change the sides of the job that runs.
  if (press_ == Press::none) takeSide(kind);
  PressButton(button);
}

void ButtonDispatcher::takeSide(int kind) {
  if (parts_.scanner.sideSelector() >= 0) parts_.scanner.setSideSelector(kind);
}

void ButtonDispatcher::PressButton(int number) {
  Log(formatWithNumber(text_("Else", "Message11", "Button %d is clicked."), number));
  if (press_ != Press::none || parts_.scanner.busy()) {
    Log("Job is canceled due to the scanner is doing with another job.");
    return;
  }
  if (openModal_ == &parts_.configuration) {
    Log("The configuration window is open; button " + std::to_string(number) + " does not scan.");
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

  if (button->applicationSetting->path == destination::kGoogle &&
      (button->account.empty() || button->password.empty())) {
    std::optional<std::string> folderId;
    press_ = Press::askingAccount;
    runModal(parts_.cloudAccount, [&] { folderId = parts_.cloudAccount.run(*button, number); });
    press_ = Press::none;
    // Cancelled, or the manager is ending.
    if (!folderId || parts_.jobs.stopRequested()) return;
    button->id = *folderId;
  }

  parts_.panel.showBalloon(
      formatWithNumber(text_("Else", "Message12", "Scan Images with Button %d"), number));
  press_ = Press::scanning;
  parts_.panel.showProgress(0);
  parts_.jobs.start([this, button](std::stop_token stop) { runJob(*button, stop); });
}

// On the job's thread: the panel is reached only through report().
void ButtonDispatcher::runJob(CButtonSetting& button, const std::stop_token& stop) {
  int pages = 0;
  std::vector<std::string> files;
  if (parts_.job.StartOutput(button) != 0 && !parts_.job.loginFailed()) {
    const PassControl control{stop, [this, &pages] {
                                parts_.jobs.report([this, scanned = ++pages] { parts_.panel.showProgress(scanned); });
                              }};
    scanOnce(button, control);
    while (button.morePages == 1 && !stop.stop_requested() && parts_.morePages.ask()) {
      scanOnce(button, control);
    }
    if (stop.stop_requested()) {
      Log("The scan job of button " + button.section + " is cut short as Ostrel ends, after " +
          std::to_string(pages) + " page(s); the pages scanned are kept.");
    }
    parts_.job.FinishOutput();
    files = parts_.job.filesWritten();
  }
  parts_.jobs.report([this, pages, files = std::move(files)] { jobEnded(pages, files); });
}

void ButtonDispatcher::scanOnce(CButtonSetting& button, const PassControl& control) {
  parts_.scanner.writeDriverSettings(button);
  if (parts_.session.run(button, parts_.job, control) == PassEnd::noPaper) {
    parts_.jobs.report([this] {
      parts_.panel.showBalloon(text_("Else", "NoPaper", "There is no paper in the feeder to scan."));
    });
  }
}

void ButtonDispatcher::jobEnded(int pages, const std::vector<std::string>& files) {
  press_ = Press::none;
  reportState();
  parts_.panel.endProgress();
  const std::optional<HeldMessages::Held> held = parts_.messages.take();
  if (parts_.jobs.stopRequested()) {
    finishExit();  // the messages are in the log
    return;
  }
  if (pages > 0) {
    const JobNotice notice = jobNotice(files, text_);
    parts_.panel.showNotice(notice.text, notice.folder);
  }
  if (held) parts_.panel.showMessage(held->text, held->kind);
  if (configurationAfterJob_) openConfiguration(*std::exchange(configurationAfterJob_, std::nullopt));
  if (std::exchange(presenceCheckAfterJob_, false)) onDeviceListChanged();
}

void ButtonDispatcher::openConfiguration(int button) {
  if (press_ == Press::scanning) {
    configurationAfterJob_ = button;
    Log("The configuration opens once the scan job has ended.");
    return;
  }
  Log(button == 0 ? "OBX is Configuring....." : "OBX is Configuring....");
  runModal(parts_.configuration, [&] { parts_.configuration.run(button); });
  parts_.panel.refreshButtons();
  Log("OBX Configuration finished.");
}

void ButtonDispatcher::showAbout() {
  runModal(parts_.about, [&] { parts_.about.run(); });
}

void ButtonDispatcher::onDeviceListChanged() {
  // The scanner of a running job counts as present; it is looked for again
  // once the job has ended.
  if (press_ == Press::scanning) {
    presenceCheckAfterJob_ = true;
    return;
  }
  if (!parts_.scanner.isPresent()) exit();
}

void ButtonDispatcher::exit() {
  parts_.panel.removeNotificationIcon();
  if (openModal_) openModal_->requestClose();
  parts_.jobs.requestStop();
  // A running job ends its pass after the page in hand; the run ends with it.
  if (press_ != Press::scanning) finishExit();
}

void ButtonDispatcher::finishExit() {
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
