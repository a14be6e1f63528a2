// Renders the panel with the built-in buttons, the about box and the
// more-pages prompt and the printer chooser into PNG files:
// panel_snapshot <folder>.
//
// panel_snapshot <folder> --screen shows the panels of two scanners, "Heron
// Office Duplex" and then "Egret", each with its manager socket bound, on a real X server with
// a window manager (xvfb-run), and grabs the whole screen with the frames the
// window manager drew in the screen's bottom-right corner: each panel brought
// up alone, then both at once. The window ids go to standard output, for xprop.
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "app/ui/about_dialog.h"
#include "app/ui/more_pages_dialog.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/png_button.h"
#include "app/ui/printer_dialog.h"
#include "platform/manager_channel.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"

using namespace ostrel;
using namespace ostrel::testing;

namespace {

bool save(QWidget& widget, const QString& path) {
  widget.show();
  QApplication::processEvents();
  return widget.grab().save(path);
}

// Lets the window manager frame and place what was shown, then grabs the
// bottom-right corner of the screen, where the panels go.
bool saveScreen(const QString& path) {
  QTest::qWait(800);
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect corner(screen->geometry().bottomRight() - QPoint(399, 339), QSize(400, 340));
  return screen->grabWindow(0, corner.x(), corner.y(), corner.width(), corner.height()).save(path);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
  const bool screen = argc > 2 && QByteArray(argv[2]) == "--screen";
  Journal journal;
  FakeScanner scanner(journal);
  FakeProfiles profiles(journal);
  FakeJob job(journal);
  FakeSession session(journal, scanner);
  InlineJobRunner jobs;
  RecordingUserInterface dialogs;
  HeldMessages messages(dialogs);
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  FakeFax fax(journal);
  profiles.configure(1, "MAIL", "eMail");
  profiles.configure(2, "PRINT", "Print");
  profiles.configure(3, "GOOGLE", "Google Docs");
  profiles.configure(4, "/usr/bin/mspaint", "MS Paint");
  profiles.configure(5, "", "Storage");
  profiles.configure(6, "FAX", "Fax");

  if (screen) {
    scanner.name = "Heron Office Duplex";  // as long as a model name can be
    const auto heronManager = platform::ManagerListener::listen(scanner.name);
    QTest::qWait(30);
    const auto egretManager = platform::ManagerListener::listen("Egret");
    FakeScanner egretScanner(journal);
    egretScanner.name = "Egret";
    COBXDlg heron({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
    COBXDlg egret({egretScanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
    heron.showPanel();
    bool saved = saveScreen(folder.filePath(QStringLiteral("screen-heron.png")));
    std::printf("heron 0x%llx\n", static_cast<unsigned long long>(heron.winId()));
    egret.showPanel();
    saved = saveScreen(folder.filePath(QStringLiteral("screen-egret.png"))) && saved;
    std::printf("egret 0x%llx heron visible %d\n", static_cast<unsigned long long>(egret.winId()),
                heron.isVisible());
    std::fflush(stdout);
    // Both at once: the second one shown without taking the focus.
    egret.hide();
    heron.showPanel();
    QTest::qWait(300);
    egret.setAttribute(Qt::WA_ShowWithoutActivating);
    egret.show();
    saved = saveScreen(folder.filePath(QStringLiteral("screen-both.png"))) && saved;
    QTest::qWait(3000);  // time for xprop
    return saved ? 0 : 1;
  }

  COBXDlg panel({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
  bool saved = save(panel, folder.filePath(QStringLiteral("panel.png")));
  panel.downArrow()->click();
  panel.downArrow()->click();
  saved = save(panel, folder.filePath(QStringLiteral("panel-scrolled.png"))) && saved;
  CAboutDlg about;
  saved = save(about, folder.filePath(QStringLiteral("about.png"))) && saved;
  CMorePageDlg more;
  saved = save(more, folder.filePath(QStringLiteral("more-pages.png"))) && saved;
  CPrinterDlg printers({{QStringLiteral("Office"), QStringLiteral("Reception_Colour"), QStringLiteral("PDF")},
                        QStringLiteral("Reception_Colour"),
                        {}});
  saved = save(printers, folder.filePath(QStringLiteral("printer-chooser.png"))) && saved;
  return saved ? 0 : 1;
}
