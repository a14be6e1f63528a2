#pragma once
// The seams of the manager: what start-up and the button dispatch ask of the
// scanner driver layer, the profile store, the scan job, the dialogs and the
// panel. The manager's logic is written against these; the real parts plug in
// behind them, and tests plug in recorders.
#include <optional>
#include <string>
#include <string_view>

#include "app/scan/scan_interfaces.h"
#include "app/scan/user_interface.h"
#include "app/settings/profile_records.h"

namespace ostrel {

class PanelView;

// The scanner's driver state for the whole run.
class ScannerDriver {
 public:
  virtual ~ScannerDriver() = default;
  // Matches the still-image device name against the installed scanners; a match
  // fills the scanner name.
  virtual bool findDriver(std::string_view deviceName) = 0;
  virtual std::string scannerName() const = 0;
  // Loads the driver library and reads the abilities, button count included.
  virtual bool queryAbilities() = 0;
  virtual int buttonCount() const = 0;
  // Set while an acquisition runs.
  virtual bool busy() const = 0;
  // -1 when the model has no side selection; else 0, 1 or 2 (see the dispatcher).
  virtual int sideSelector() const = 0;
  virtual void setSideSelector(int side) = 0;
  // Busy counts as present.
  virtual bool isPresent() = 0;
  virtual void writeDriverSettings(const CButtonSetting& button) = 0;
};

// The three profile files of one scanner and their records.
class ButtonProfiles {
 public:
  virtual ~ButtonProfiles() = default;
  // Creates missing files from the templates or the built-in sets, then loads
  // scan profiles, destinations and buttonCount buttons, in that order.
  virtual void createOrLoad(const std::string& scannerFolder, int buttonCount) = 0;
  // Button record 1..9; nullptr outside the table.
  virtual CButtonSetting* button(int number) = 0;
  // Frees the profile lists at exit.
  virtual void release() = 0;
  // Shows in the panel's balloon what start-up found before the panel existed
  // (damaged profile files set aside and restored); each text once.
  virtual void showPendingNotices(PanelView& panel) = 0;
};

// A modal dialog the manager may have to close on exit.
class ModalDialog {
 public:
  virtual ~ModalDialog() = default;
  virtual void requestClose() = 0;
};

class ConfigurationWindow : public ModalDialog {
 public:
  // button 0: opened from the menu; 1..9: opened for that button.
  virtual void run(int button) = 0;
};

class CloudAccountDialog : public ModalDialog {
 public:
  // The cloud folder identifier on OK, nullopt on Cancel.
  virtual std::optional<std::string> run(CButtonSetting& button, int number) = 0;
};

class AboutBox : public ModalDialog {
 public:
  virtual void run() = 0;
};

// "Scan more pages?" between passes. The job asks from its own thread; the
// prompt shows on the panel's, where isOpen() and accept() are called.
class MorePagesPrompt {
 public:
  virtual ~MorePagesPrompt() = default;
  // True for OK (scan more), false for Finish, close, or the manager ending.
  virtual bool ask() = 0;
  // The prompt is on screen.
  virtual bool isOpen() const = 0;
  // Answers OK on behalf of the user while the prompt is on screen.
  virtual void accept() = 0;
};

class FaxService {
 public:
  virtual ~FaxService() = default;
  virtual bool started() const = 0;
  virtual void stop() = 0;
};

// The panel and its notification icon, as far as the dispatch drives them.
class PanelView {
 public:
  virtual ~PanelView() = default;
  virtual void showBalloon(std::string_view text) = 0;
  // A job runs: the pages scanned so far, 0 as it starts.
  virtual void showProgress(int pages) = 0;
  // The job has ended.
  virtual void endProgress() = 0;
  // A job that scanned pages has ended; clicking the notification opens the
  // folder, when there is one.
  virtual void showNotice(std::string_view text, const std::string& folder) = 0;
  // A box that only reports: nothing waits for it to close.
  virtual void showMessage(std::string_view text, MessageKind kind) = 0;
  // Icons, titles and tooltips again from the button records.
  virtual void refreshButtons() = 0;
  virtual void removeNotificationIcon() = 0;
  // Ends the manager's run; the start-up then finishes.
  virtual void endRun() = 0;
};

// The one-shot tasks of an installer or a plain start.
class InstallationTasks {
 public:
  virtual ~InstallationTasks() = default;
  virtual void startAllManagers() = 0;
  virtual void startAllConfigurations() = 0;
  virtual void registerAfterInstall(std::string_view productCode) = 0;
  virtual void cleanUpBeforeRemoval() = 0;
};

}  // namespace ostrel
