// OBX: started by the button daemon with "/StiDevice:" and "/StiEvent:", by an
// installer, or by the user. A copy either hands its event to the manager that
// already runs for the scanner and ends, or becomes that manager and runs its
// panel until it is told to exit. Copies that only forward never open a
// display connection.
#include <QApplication>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "app/core/activity_log.h"
#include "app/core/command_line.h"
#include "app/core/configured_scanner.h"
#include "app/core/obx_app.h"
#include "app/core/pending_parts.h"
#include "app/core/stored_profiles.h"
#include "app/core/twain_scan_session.h"
#include "app/delivery/pending_delivery.h"
#include "app/scan/job/output_job.h"
#include "app/ui/device_watcher.h"
#include "app/ui/manager_inbox.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/termination_watcher.h"
#include "platform/environment.h"

namespace {

using namespace ostrel;

// Qt aborts when it finds no display to connect to; a manager started where
// there is none (a console, a service without a session) ends in order instead.
bool displayAvailable() {
  for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

void runManager(int& argc, char** argv, COBXApp& app, platform::ManagerListener listener,
                TerminationSignals& caught, TwainScanSession& session, PanelParts parts) {
  QApplication qt(argc, argv);
  // The panel is hidden most of the time; only the Exit command ends the run.
  QApplication::setQuitOnLastWindowClosed(false);
  COBXDlg panel(parts);
  bool ending = false;
  QObject::connect(&panel, &COBXDlg::runEnded, [&ending] {
    ending = true;
    QCoreApplication::exit(0);
  });
  // Presses and exit requests are answered while a pass runs: a press then sees
  // the scanner busy, and an exit ends the pass after the page in hand.
  session.setEventPump([&ending] {
    QCoreApplication::processEvents();
    return !ending;
  });
  ManagerInbox inbox(std::move(listener));
  QObject::connect(
      &inbox, &ManagerInbox::received, &panel, [&panel](const platform::ManagerRecord& record) {
        panel.dispatcher().onManagerMessage(record.message, record.first, record.second);
      });
  // Asked to end by the session or a terminal: leave as the Exit command does.
  TerminationWatcher termination(caught);
  QObject::connect(&termination, &TerminationWatcher::terminationRequested, &panel, [&panel] {
    Log("Ostrel is asked to end.");
    panel.dispatcher().exit();
  });
  DeviceWatcher devices;
  QObject::connect(&devices, &DeviceWatcher::deviceListChanged, &panel,
                   [&panel] { panel.dispatcher().onDeviceListChanged(); });
  panel.startManaging(app.pendingEventCode());
  app.clearPendingEventCode();
  QApplication::exec();
  // The pump refers to this run's application and flag.
  session.setEventPump({});
}

}  // namespace

int main(int argc, char** argv) {
  ScannerConfig scannerConfig;
  ConfiguredScanner scanner(scannerConfig);
  StoredProfiles profiles;
  QtUserInterface ui;
  PendingDelivery delivery;
  OutputJob job({ui, delivery, platform::programFolder()});
  TwainScanSession session(scannerConfig, ui);
  PendingConfigurationWindow configuration;
  PendingCloudAccountDialog cloudAccount;
  PendingFaxService fax;
  PendingInstallationTasks installation;

  COBXApp app({scanner, profiles, job, installation,
               [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }});
  if (app.start(joinCommandLine(argc, argv))) {
    TerminationSignals caught;
    auto listener = app.claimManagerSocket();
    if (listener.state() != platform::ManagerListener::State::Listening) {
      // Another manager serves the scanner, or none can be reached: logged.
    } else if (!displayAvailable()) {
      Log("Ostrel cannot show its panel: there is no display.");
    } else {
      runManager(argc, argv, app, std::move(listener), caught, session,
                 {scanner, profiles, job, session, configuration, cloudAccount, fax});
    }
    Log("Ostrel exit.");
  }
  app.finish();
  return 0;
}
