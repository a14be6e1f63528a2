// Renders the panel with the built-in buttons, the about box and the
// more-pages prompt into PNG files: panel_snapshot <folder>.
#include <QApplication>
#include <QDir>

#include "app/ui/about_dialog.h"
#include "app/ui/more_pages_dialog.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/png_button.h"
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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
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

  COBXDlg panel({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
  bool saved = save(panel, folder.filePath(QStringLiteral("panel.png")));
  panel.downArrow()->click();
  panel.downArrow()->click();
  saved = save(panel, folder.filePath(QStringLiteral("panel-scrolled.png"))) && saved;
  CAboutDlg about;
  saved = save(about, folder.filePath(QStringLiteral("about.png"))) && saved;
  CMorePageDlg more;
  saved = save(more, folder.filePath(QStringLiteral("more-pages.png"))) && saved;
  return saved ? 0 : 1;
}
