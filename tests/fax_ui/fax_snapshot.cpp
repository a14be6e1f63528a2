// Renders the fax login dialog (logged in against a fake fax server, credit
// and number shown) and the send dialog (two documents, a cover text) into
// PNG files: fax_snapshot <folder>. Works in a temporary folder of its own.
#include <stdlib.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "app/ui/fax/fax_login_dialog.h"
#include "app/ui/fax/fax_send_dialog.h"
#include "tools/fakefaxd/fake_fax_server.h"

using namespace ostrel;

namespace {

std::string writeFile(const QString& path, const std::string& content) {
  QDir().mkpath(QFileInfo(path).path());
  std::ofstream(path.toStdString(), std::ios::binary) << content;
  return path.toStdString();
}

bool save(QWidget& widget, const QString& path) {
  widget.show();
  QApplication::processEvents();
  return widget.grab().save(path);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
  QTemporaryDir work;
  fakefax::FakeFaxServer server;
  if (!work.isValid() || !server.listening()) {
    std::fputs("fax_snapshot: no temporary folder or no loopback port\n", stderr);
    return 1;
  }
  server.setCredit(1234567);
  server.setOwnNumber("0299990000");
  const QString root = work.path();
  ::setenv("APPDATA", (root + "/appdata").toLocal8Bit().constData(), 1);
  ::setenv("OSTREL_REGISTRY", (root + "/registry").toLocal8Bit().constData(), 1);
  ::setenv("OSTREL_FAX_DIR", (root + "/spool").toLocal8Bit().constData(), 1);
  ::setenv("OSTREL_FAX_PORT", std::to_string(server.port()).c_str(), 1);
  ::setenv("OSTREL_FAX_TICK_MS", "20", 1);
  writeFile(root + "/spool/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n");
  const std::string texts = QString(OSTREL_SOURCE_DIR "/Template/ResourceSetting.ini").toStdString();
  const std::vector<std::string> documents = {writeFile(root + "/scans/Scan0000.pdf", std::string(48213, 'a')),
                                              writeFile(root + "/scans/Scan0001.pdf", std::string(2400000, 'b'))};

  ZeltFaxService service;
  FaxMemory memory(FaxMemory::defaultUserFile(), texts);
  memory.rememberReceiver("0212345678");
  memory.rememberReceiver("0311112222");
  FaxDialogParts parts{service, memory, LocalizedText(texts), (root + "/spool").toStdString(),
                       [] { return std::chrono::system_clock::now(); }, {}};
  bool ok = true;
  {
    CFaxLoginDlg login(parts, documents);
    ok &= save(login, folder.filePath("fax_login_before.png"));
    login.findChild<QLineEdit*>("userId")->setText("alice");
    login.findChild<QLineEdit*>("password")->setText("secret");
    QSignalSpy finished(&login, &CFaxLoginDlg::loginFinished);
    login.findChild<QPushButton*>("login")->click();
    ok &= finished.wait(30000);
    ok &= save(login, folder.filePath("fax_login.png"));
  }
  {
    CFaxSendDlg send(parts, {"alice", "secret", "0299990000", documents});
    send.findChild<QLineEdit*>("subject")->setText("Invoice 2041");
    send.findChild<QPlainTextEdit*>("cover")->setPlainText("Dear Bob & Co,\nplease find the signed invoice attached.");
    ok &= save(send, folder.filePath("fax_send.png"));
  }
  service.stop();
  return ok ? 0 : 1;
}
