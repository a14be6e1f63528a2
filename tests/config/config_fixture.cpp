#include "tests/config/config_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <memory>

#include "platform/ini_file.h"
#include "tests/support/temp_home.h"

namespace ostrel::testing {

std::string scannerFolder() { return tempRoot() + "/scanner/"; }
std::string buttonFile() { return scannerFolder() + "ButtonSetting.ini"; }
std::string scanFile() { return scannerFolder() + "ScanSetting.ini"; }
std::string destinationFile() { return scannerFolder() + "ApplicationSetting.ini"; }

void writeProfiles(int count) {
  writeFile(scanFile(),
            "[0]\r\nValid=1\r\nTitle=Text\r\nPaperSize=4\r\nAutomatic=0\r\nWidth=2550\r\nHeight=3300\r\n"
            "[1]\r\nValid=1\r\nTitle=Photo\r\nAutomatic=1\r\nPaperSize=1\r\n"
            "[2]\r\nValid=1\r\nTitle=Receipt\r\nAutomatic=0\r\nPaperSize=0\r\nWidth=900\r\nHeight=2000\r\n"
            "XOffset=7\r\nYOffset=9\r\n");
  writeFile(destinationFile(),
            "[0]\r\nValid=1\r\nTitle=Storage\r\nPath=\r\nImageFormatCheck=127\r\nDefaultFormat=64\r\n"
            "DefaultFolder=/tmp/storage-default/\r\n"
            "[1]\r\nValid=1\r\nTitle=Printer\r\nPath=PRINT\r\nImageFormatCheck=1\r\nDefaultFormat=1\r\n"
            "[2]\r\nValid=1\r\nTitle=Viewer\r\nPath=/bin/true\r\nImageFormatCheck=66\r\nDefaultFormat=64\r\n"
            "DefaultFolder=/tmp/viewer-default/\r\n"
            "[3]\r\nValid=1\r\nTitle=Docs\r\nPath=GOOGLE\r\nImageFormatCheck=96\r\nDefaultFormat=64\r\n"
            "[4]\r\nValid=1\r\nTitle=eMail\r\nPath=MAIL\r\nImageFormatCheck=98\r\nDefaultFormat=64\r\n");
  std::string buttons;
  for (int n = 1; n <= count; ++n) {
    const std::string destination = n == 2 ? "" : n == 3 ? "Printer" : "Viewer";
    // A button without a title has no destination either.
    const std::string title = n == 2 ? "" : "Button " + std::to_string(n);
    buttons += "[" + std::to_string(n) + "]\r\nTitle=" + title +
               "\r\nScanSetting=Text\r\nApplicationSetting=" + destination +
               "\r\nImageFolder=/tmp/out" + std::to_string(n) + "/\r\nImageName=Scan<####>\r\nFileFormat=" +
               (n == 3 ? "1" : "64") + "\r\nScanSide=2\r\n";
  }
  writeFile(buttonFile(), buttons);
}

void loadProfiles(ProfileStore& store, int count) {
  writeProfiles(count);
  store.LoadScanSettings(scanFile());
  store.LoadApplicationSettings(destinationFile());
  store.LoadButtonSettings(buttonFile(), count);
}

std::string iniValue(const std::string& file, const std::string& section, const std::string& key) {
  return platform::GetPrivateProfileString(section, key, "<missing>", file);
}

void whenModalOpens(std::function<void(QWidget*)> answer, QWidget* current) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(10);
  auto remaining = std::make_shared<int>(500);  // five seconds, then give up
  QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer), current, remaining] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != current && modal->isVisible()) {
      timer->deleteLater();
      timer->stop();
      answer(modal);
    } else if (--*remaining == 0) {
      timer->deleteLater();
      timer->stop();
    }
  });
  timer->start();
}

void chooseInFileDialog(QWidget* dialog, const QString& path) {
  auto* files = qobject_cast<QFileDialog*>(dialog);
  ASSERT_NE(files, nullptr);
  // Typed as a user would: selectFile() selects nothing until the dialog's
  // file list has read the folder, which happens on a thread of its own.
  auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  for (int tries = 0; tries < 500 && files->isVisible(); ++tries) {
    name->setText(path);
    QMetaObject::invokeMethod(files, "accept");
    if (files->isVisible()) QTest::qWait(20);
  }
  EXPECT_FALSE(files->isVisible()) << "the file dialog did not take " << path.toStdString();
}

void answerNextMessage(SeenMessage& seen, QWidget* current) {
  whenModalOpens(
      [&seen](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
          seen.text = box->text();
          seen.seen = true;
        }
        modal->close();
      },
      current);
}

}  // namespace ostrel::testing
