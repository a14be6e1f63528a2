// OBX: started by the button daemon with "/StiDevice:" and "/StiEvent:", by an
// installer, or by the user. A copy either hands its event to the manager that
// already runs for the scanner and ends, or becomes that manager and runs its
// panel until it is told to exit. Copies that only forward never open a
// display connection.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/activity_log.h"
#include "app/core/button_polling.h"
#include "app/core/command_line.h"
#include "app/core/configured_scanner.h"
#include "app/core/held_messages.h"
#include "app/core/installation_tasks.h"
#include "app/core/job_runner.h"
#include "app/core/manager_messages.h"
#include "app/core/manager_state_file.h"
#include "app/core/obx_app.h"
#include "app/ui/cloud/google_doc_dialog.h"
#include "app/core/stored_profiles.h"
#include "app/scan/twain/twain_scan_session.h"
#include "app/delivery/balloon_relay.h"
#include "app/delivery/desktop_delivery.h"
#include "app/delivery/fax/zelt_fax_service.h"
#include "app/scan/job/output_job.h"
#include "app/ui/config/config_dialog_window.h"
#include "app/ui/device_watcher.h"
#include "app/ui/fax/qt_fax_dialogs.h"
#include "app/ui/manager_inbox.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/qt_printers.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/termination_watcher.h"
#include "app/ui/window_thread.h"
#include "platform/environment.h"
#include "platform/text.h"
#include "platform/window_titles.h"

namespace {

using namespace ostrel;

bool environmentSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Qt aborts when it cannot reach the display it is given (none at all, a
// session that has ended, a stale DISPLAY). Unless a platform is asked for, the
// display platforms of the session are tried with "offscreen" behind them, so
// a manager that reaches no display lands there and can end in order. X11 comes
// first: the panel places itself in a corner, which Wayland does not let a
// program do. The choice goes in as a -platform option, not the environment,
// so programs the manager starts choose their own.
std::string displayPlatforms() {
  std::string platforms;
  if (environmentSet("DISPLAY")) platforms += "xcb;";
  if (environmentSet("WAYLAND_DISPLAY")) platforms += "wayland;";
  return platforms + "offscreen";
}

void runManager(int argc, char** argv, COBXApp& app, platform::ManagerListener listener,
                TerminationSignals& caught, WorkerJobRunner& jobs, BalloonRelay& balloons,
                ScannerConfig& scannerConfig, PanelParts parts) {
  const bool platformChosen = environmentSet("QT_QPA_PLATFORM");
  std::string platformOption = "-platform";
  std::string platforms = displayPlatforms();
  std::vector<char*> arguments(argv, argv + argc);
  if (!platformChosen) {
    arguments.push_back(platformOption.data());
    arguments.push_back(platforms.data());
  }
  arguments.push_back(nullptr);
  int count = static_cast<int>(arguments.size()) - 1;
  QApplication qt(count, arguments.data());
  if (!platformChosen && QGuiApplication::platformName() == QLatin1String("offscreen")) {
    Log("Ostrel cannot show its panel: there is no display.");
    return;
  }
  // The panel is hidden most of the time; only the Exit command ends the run.
  QApplication::setQuitOnLastWindowClosed(false);
  COBXDlg panel(parts);
  balloons.attach(&panel);
  QObject::connect(&panel, &COBXDlg::runEnded, [] { QCoreApplication::exit(0); });
  ManagerInbox inbox(std::move(listener));
  QObject::connect(
      &inbox, &ManagerInbox::received, &panel, [&panel](const platform::ManagerRecord& record) {
        panel.dispatcher().onManagerMessage(record.message, record.first, record.second);
      });
  // Asked to end by the session or a terminal: leave as the Exit command does.
  TerminationWatcher termination(caught);
  QObject::connect(&termination, &TerminationWatcher::terminationRequested, &panel, [&panel](int signal) {
    Log("Ostrel is asked to end by " + signalName(signal) + ".");
    panel.dispatcher().exit();
  });
  ManagerStateFile state(scannerConfig.modelName);
  panel.dispatcher().setStateObserver(
      [&state](int eventsHandled, bool jobRunning) { state.write(eventsHandled, jobRunning); });
  // A press read from the scanner's sensors takes the way of a forwarded one.
  ButtonPolling buttons(scannerConfig, [&panel](int button) {
    postToWindowThread([&panel, button] {
      panel.dispatcher().onManagerMessage(manager_message::kButtonEvent, button, 1);
    });
  });
  DeviceWatcher devices;
  QObject::connect(&devices, &DeviceWatcher::deviceListChanged, &panel,
                   [&panel] { panel.dispatcher().onDeviceListChanged(); });
  panel.startManaging(app.pendingEventCode());
  app.clearPendingEventCode();
  QApplication::exec();
  // The run ends once a job has ended, but should the loop end otherwise, a job
  // still running must not outlive the windows it reports to.
  jobs.stopAndWait();
  balloons.attach(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  ScannerConfig scannerConfig;
  ConfiguredScanner scanner(scannerConfig);
  StoredProfiles profiles;
  // A press's job runs on a worker thread; what it asks of the user is
  // answered on the window thread.
  WorkerJobRunner jobs(postToWindowThread);
  QtUserInterface dialogs(jobs.stopToken());
  HeldMessages ui(dialogs);
  QtPrinters printers;
  // Logging in to the fax service starts its workers; the exit stops them.
  ZeltFaxService fax;
  QtFaxDialogs faxDialogs(fax, platform::programFolder(), jobs.stopToken());
  // Uploads end after their job, so their balloons go to the panel directly.
  BalloonRelay balloons(postToWindowThread);
  DesktopDelivery delivery({.ui = ui,
                            .printers = printers,
                            .programFolder = platform::programFolder(),
                            .windowTitles = platform::topLevelWindowTitles,
                            .faxDialogs = &faxDialogs,
                            .balloon = [&balloons](std::string text) { balloons.show(std::move(text)); }});
  OutputJob job({ui, delivery, platform::programFolder()});
  TwainScanSession session(scannerConfig, ui);
  QtCloudAccountDialog cloudAccount(platform::programFolder(),
                                    [&profiles](const CButtonSetting& button) { profiles.saveButton(button); });
  QtConfigurationWindow configuration(profiles.store(), scannerConfig, platform::programFolder(), cloudAccount);
  LinuxInstallationTasks installation({platform::joinPath(platform::programFolder(), "OBX"), platform::programFolder(),
                                       scanbdConfigFolder()});

  COBXApp app({scanner, profiles, job, installation,
               [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }});
  const StartResult started = app.start(commandLineOf({argv, argv + argc}));
  if (started.runManager) {
    TerminationSignals caught;
    // Not listening: another manager serves the scanner, or none can be
    // reached; claimManagerSocket has logged the end.
    if (auto listener = app.claimManagerSocket();
        listener.state() == platform::ManagerListener::State::Listening) {
      runManager(argc, argv, app, std::move(listener), caught, jobs, balloons, scannerConfig,
                 {scanner, profiles, job, session, jobs, ui, configuration, cloudAccount, fax});
      Log("Ostrel exit.");
    }
  }
  app.finish();
  // Printed after the exit step: a closed standard output cannot cut it short.
  std::fputs(started.output.c_str(), stdout);
  std::fputs(started.error.c_str(), stderr);
  return started.exitStatus;
}
