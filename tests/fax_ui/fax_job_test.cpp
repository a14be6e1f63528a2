// A fax button pressed on a virtual scanner, with the program's real parts as
// main() puts them together: the job on its worker thread, the fax dialogs on
// the window thread, the fax library's exports and a fake fax server. The
// scanned PDF ends at the server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

#include "app/core/configured_scanner.h"
#include "app/delivery/desktop_delivery.h"
#include "app/scan/job/output_job.h"
#include "app/scan/twain/twain_scan_session.h"
#include "app/ui/fax/fax_login_dialog.h"
#include "app/ui/fax/fax_send_dialog.h"
#include "app/ui/fax/qt_fax_dialogs.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/qt_printers.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/window_thread.h"
#include "tests/manager/child_process.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_home.h"
#include "tools/fakefaxd/fake_fax_server.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

template <typename Dialog>
Dialog* visibleDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* dialog = qobject_cast<Dialog*>(widget); dialog && dialog->isVisible()) return dialog;
  }
  return nullptr;
}

TEST(FaxJob, AFaxButtonOnTheVirtualScannerEndsWithThePdfAtTheServer) {
  fakefax::FakeFaxServer server;
  ASSERT_TRUE(server.listening());
  const std::string spool = tempRoot() + "/spool";
  const std::string program = tempRoot() + "/program";
  writeFile(spool + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n");
  writeFile(program + "/Template/ResourceSetting.ini", readFile(sourceDir() + "/Template/ResourceSetting.ini"));
  ScopedEnvironment folder("OSTREL_FAX_DIR", spool);
  ScopedEnvironment port("OSTREL_FAX_PORT", std::to_string(server.port()));
  ScopedEnvironment tick("OSTREL_FAX_TICK_MS", "20");

  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "add-virtual", "usb:04c5:1500", "Tern", "--generate", "2"}),
            0);
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("usb:04c5:1500"), 1);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  ConfiguredScanner scanner(config);

  WorkerJobRunner jobs(postToWindowThread);
  QtUserInterface dialogs(jobs.stopToken());
  HeldMessages messages(dialogs);
  QtPrinters printers;
  ZeltFaxService fax;
  QtFaxDialogs faxDialogs(fax, program, jobs.stopToken());
  DesktopDelivery delivery({.ui = messages,
                            .printers = printers,
                            .programFolder = program,
                            .windowTitles = [] { return std::vector<std::string>{}; },
                            .faxDialogs = &faxDialogs,
                            .balloon = {}});
  OutputJob job({messages, delivery, program});
  TwainScanSession session(config, messages, binDir() + "/libostreldsm.so");
  Journal journal;
  FakeProfiles profiles(journal);
  CScanSetting profile;
  profile.resolution = 150;
  profile.scanMode = 0;
  CButtonSetting& button = profiles.configure(5, "FAX", "Fax");
  button.scanSetting = &profile;
  button.fileFormat = format::kMultiPdf;
  button.imageFolder = tempRoot() + "/Scans";
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  COBXDlg panel({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});

  // The user: logs in, then sends to one receiver. Buttons are pressed from
  // the event loop, as each opens a modal loop of its own.
  bool loginPressed = false;
  bool sendPressed = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (auto* send = visibleDialog<CFaxSendDlg>(); send && !sendPressed) {
      sendPressed = true;
      send->findChild<QComboBox*>("receiver")->setEditText("0212345678");
      QTimer::singleShot(0, send->findChild<QPushButton*>("ok"), &QPushButton::click);
    } else if (auto* login = visibleDialog<CFaxLoginDlg>()) {
      QPushButton* ok = login->findChild<QPushButton*>("ok");
      if (!loginPressed) {
        loginPressed = true;
        login->findChild<QLineEdit*>("userId")->setText("alice");
        login->findChild<QLineEdit*>("password")->setText("secret");
        QTimer::singleShot(0, login->findChild<QPushButton*>("login"), &QPushButton::click);
      } else if (ok->isEnabled()) {
        QTimer::singleShot(0, ok, &QPushButton::click);
      }
    }
  });
  user.start(50);

  panel.dispatcher().onButtonEvent(5, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !server.received(34).empty(); }, 120000));
  user.stop();
  EXPECT_TRUE(sendPressed);
  EXPECT_TRUE(fax.started());

  const std::vector<std::string> written = job.filesWritten();
  ASSERT_EQ(written.size(), 1u);
  const std::string file = readFile(written[0]);
  const fakefax::Bytes pdf(file.begin(), file.end());
  ASSERT_GT(pdf.size(), 100u);
  const fakefax::Bytes sent = server.received(34).front().bytes;
  EXPECT_NE(std::search(sent.begin(), sent.end(), pdf.begin(), pdf.end()), sent.end())
      << "the scanned PDF's bytes went to the server";

  // The manager's exit, once the job has ended, stops the fax workers.
  panel.dispatcher().exit();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !fax.started(); }, 30000));
  jobs.stopAndWait();
}

}  // namespace
}  // namespace ostrel
