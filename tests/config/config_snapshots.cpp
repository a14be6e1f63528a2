// Renders every configuration dialog into PNG files, to look at:
// config_snapshots <folder> [<texts file>]. The texts file stands for the
// program's ResourceSetting.ini (long translations, say); without it every
// text is its English default. The profiles live in a temporary folder.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <cstdio>

#include "app/ui/config/app_dialog.h"
#include "app/ui/config/config_dialog_window.h"
#include "app/ui/config/easy_dialog.h"
#include "app/ui/config/file_name_dialog.h"
#include "app/ui/config/ftp_dialog.h"
#include "app/ui/config/jpeg_setting_dialog.h"
#include "app/ui/config/naming_menu.h"
#include "app/ui/config/pdf_setting_dialog.h"
#include "tests/support/no_cloud_account.h"

using namespace ostrel;

namespace {

using ostrel::testing::NoCloudAccount;

void write(const QString& path, const char* text) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(text);
}

bool save(QWidget& widget, const QDir& folder, const char* name) {
  widget.show();
  QApplication::processEvents();
  const bool saved = widget.grab().save(folder.filePath(QString::fromLatin1(name) + ".png"));
  widget.hide();
  if (!saved) std::fprintf(stderr, "%s could not be saved\n", name);
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: config_snapshots <folder> [<texts file>]\n");
    return 2;
  }
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  const LocalizedText texts(argc > 2 ? argv[2] : "/nonexistent/ResourceSetting.ini");
  QTemporaryDir scratch;
  const QString scanner = scratch.filePath(QStringLiteral("scanner"));
  QDir().mkpath(scanner);
  write(scanner + "/ScanSetting.ini",
        "[0]\r\nValid=1\r\nTitle=Black and White Text Document\r\nPaperSize=4\r\nAutomatic=0\r\n"
        "[1]\r\nValid=1\r\nTitle=Large Color Photo\r\nAutomatic=1\r\n");
  write(scanner + "/ApplicationSetting.ini",
        "[0]\r\nValid=1\r\nTitle=Storage\r\nPath=\r\nImageFormatCheck=127\r\nDefaultFormat=64\r\n"
        "[1]\r\nValid=1\r\nTitle=Print\r\nPath=PRINT\r\nImageFormatCheck=1\r\nDefaultFormat=1\r\n"
        "[2]\r\nValid=1\r\nTitle=Document Viewer\r\nPath=/bin/true\r\nImageFormatCheck=66\r\nDefaultFormat=64\r\n");
  write(scanner + "/ButtonSetting.ini",
        "[1]\r\nTitle=Storage\r\nScanSetting=Black and White Text Document\r\nApplicationSetting=Storage\r\n"
        "ImageFolder=%MYDOCUMENTS%/Ostrel/Storage/\r\nFileFormat=64\r\n"
        "[2]\r\nTitle=Print\r\nScanSetting=Large Color Photo\r\nApplicationSetting=Print\r\nFileFormat=1\r\n"
        "[3]\r\nTitle=Open in Viewer\r\nScanSetting=Large Color Photo\r\nApplicationSetting=Document Viewer\r\n"
        "FileFormat=64\r\nServer=ftp.example.org\r\nFtpPort=2121\r\nAccount=scanner\r\n");
  ProfileStore store;
  store.LoadScanSettings((scanner + "/ScanSetting.ini").toStdString());
  store.LoadApplicationSettings((scanner + "/ApplicationSetting.ini").toStdString());
  store.LoadButtonSettings((scanner + "/ButtonSetting.ini").toStdString(), 3);
  NoCloudAccount cloud;
  ConfigContext context{store, {true, true, 2550, 4200}, "Demo Scanner", scratch.path().toStdString(), texts, cloud};

  bool saved = true;
  CConfigDlg config(nullptr, context, 1);
  saved &= save(config, folder, "config-window");
  CEasyDlg easy(nullptr, context, 1);
  saved &= save(easy, folder, "easy-storage");
  CEasyDlg printing(nullptr, context, 2);
  saved &= save(printing, folder, "easy-print");
  CAppDlg existing(nullptr, store, "Document Viewer", texts);
  saved &= save(existing, folder, "destination-properties");
  CAppDlg storage(nullptr, store, "Storage", texts);
  saved &= save(storage, folder, "destination-storage");
  CFileNameDlg name(nullptr, texts, QStringLiteral("Receipts"));
  saved &= save(name, folder, "profile-name");
  CJpegSetDlg jpeg(nullptr, 75, texts);
  saved &= save(jpeg, folder, "jpeg-properties");
  CPdfSetDlg pdf(nullptr, 2, texts);
  saved &= save(pdf, folder, "pdf-settings");
  CFtpDlg ftp(nullptr, *store.Button(3), texts);
  saved &= save(ftp, folder, "ftp");
  QLineEdit field;
  const auto menu = makeNamingMenu(field, texts);
  saved &= save(*menu, folder, "naming-menu");
  return saved ? 0 : 1;
}
