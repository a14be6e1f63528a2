// Renders the cloud account dialog and the cloud folder tree into PNG files:
// cloud_snapshot <folder> <WebDAV URL> <user> <password>. The tree is the
// account's real one, shown through libDrovel.so beside the program.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "app/scan/job/cloud_folder_chooser.h"
#include "app/ui/cloud/google_doc_dialog.h"
#include "platform/environment.h"

using namespace ostrel;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 5) {
    std::fputs("usage: cloud_snapshot <folder> <WebDAV URL> <user> <password>\n", stderr);
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  // The snapshot runs from build/tests; the program and its libraries are in build/bin.
  const std::string programFolder = platform::programFolder() + "/../bin";
  CButtonSetting button;
  button.server = argv[2];
  button.account = argv[3];
  button.password = argv[4];
  button.imageFolder = "/Invoices/2024/";
  button.id = "FolderID::/Invoices/2024/";

  CGoogleDocDlg dialog(button, programFolder);
  dialog.folderField()->setText(QString::fromStdString(button.imageFolder));
  dialog.show();
  QApplication::processEvents();
  bool saved = dialog.grab().save(folder.filePath("cloud-account.png"));
  dialog.hide();

  QTimer grabber;
  grabber.setInterval(100);
  QObject::connect(&grabber, &QTimer::timeout, [&] {
    QWidget* tree = QApplication::activeModalWidget();
    if (!tree || !tree->isVisible()) return;
    grabber.stop();
    saved = tree->grab().save(folder.filePath("cloud-folders.png")) && saved;
    tree->close();
  });
  grabber.start();
  const CloudFolderChoice choice = chooseCloudFolder(programFolder + "/" + kCloudChooserLibrary, button);
  if (choice.outcome == CloudFolderOutcome::loginFailed || choice.outcome == CloudFolderOutcome::libraryMissing) {
    std::fputs("the folder tree could not be shown (see the activity log)\n", stderr);
    return 1;
  }
  return saved ? 0 : 1;
}
