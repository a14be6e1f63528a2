// The fax dialogs driven as a user would, against the fax library's exports
// (libZeltsvc.so) and a fake fax server on loopback: login refused and
// accepted, the send dialog, and the fax all the way to the server.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>

#include "app/ui/fax/fax_login_dialog.h"
#include "app/ui/fax/fax_send_dialog.h"
#include "platform/ini_file.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_home.h"
#include "tools/fakefaxd/fake_fax_server.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
namespace fs = std::filesystem;

constexpr std::uint8_t kLogin = 1;
constexpr std::uint8_t kSendRequest = 34;
constexpr std::uint8_t kSendPurpose = 'A';
constexpr std::uint8_t kReportPurpose = 'B';
constexpr std::uint8_t kReceivePurpose = 4;

std::string today() {
  char day[16];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(day, sizeof day, "%Y%m%d", &local);
  return day;
}

bool contains(const fakefax::Bytes& bytes, const std::string& text) {
  return std::search(bytes.begin(), bytes.end(), text.begin(), text.end()) != bytes.end();
}

bool eventually(const std::function<bool()>& condition, std::chrono::seconds timeout = std::chrono::seconds(30)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QTest::qWait(20);
  }
  return true;
}

class FaxDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listening());
    spool = tempRoot() + "/spool";
    writeFile(spool + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n[Web]\r\nSecureHost=member.example\r\n");
    texts = writeFile(tempRoot() + "/program/Template/ResourceSetting.ini",
                      readFile(sourceDir() + "/Template/ResourceSetting.ini"));
    // The library's exports take their folder, server port and time unit from here.
    environment.push_back(std::make_unique<ScopedEnvironment>("OSTREL_FAX_DIR", spool));
    environment.push_back(std::make_unique<ScopedEnvironment>("OSTREL_FAX_PORT", std::to_string(server.port())));
    environment.push_back(std::make_unique<ScopedEnvironment>("OSTREL_FAX_TICK_MS", "20"));
    memory = std::make_unique<FaxMemory>(FaxMemory::defaultUserFile(), texts);
    documents = {writeFile(tempRoot() + "/scans/Scan0000.pdf", "%PDF-1.4 first scanned document"),
                 writeFile(tempRoot() + "/scans/Scan0001.pdf", std::string(1500, 's'))};
  }

  // The workers of one test must not serve the next one's folder.
  void TearDown() override { service.stop(); }

  FaxDialogParts parts() {
    return {service, *memory, LocalizedText(texts), spool, [] { return std::chrono::system_clock::now(); },
            [this](const std::string& page) { opened.push_back(page); }};
  }

  static void logIn(CFaxLoginDlg& dialog, const QString& user, const QString& password) {
    dialog.findChild<QLineEdit*>("userId")->setText(user);
    dialog.findChild<QLineEdit*>("password")->setText(password);
    QSignalSpy finished(&dialog, &CFaxLoginDlg::loginFinished);
    QTest::mouseClick(dialog.findChild<QPushButton*>("login"), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(30000));
  }

  fakefax::FakeFaxServer server;
  std::vector<std::unique_ptr<ScopedEnvironment>> environment;
  std::string spool;
  std::string texts;
  std::unique_ptr<FaxMemory> memory;
  std::vector<std::string> documents;
  std::vector<std::string> opened;
  ZeltFaxService service;
};

TEST_F(FaxDialogsTest, RefusedLoginSaysSoAndKeepsNothing) {
  server.setLoginStatus(1);
  CFaxLoginDlg dialog(parts(), documents);
  dialog.show();
  logIn(dialog, "alice", "wrong");

  auto* box = dialog.findChild<QMessageBox*>();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), "Checking login info was failed.");
  box->close();
  EXPECT_FALSE(fs::exists(FaxMemory::defaultUserFile()));
  EXPECT_EQ(platform::GetPrivateProfileString("Fax", "UserID", "none", texts), "");
  EXPECT_FALSE(dialog.findChild<QLineEdit*>("userId")->isReadOnly());
  EXPECT_FALSE(dialog.findChild<QPushButton*>("ok")->isEnabled());
  EXPECT_FALSE(dialog.findChild<QPushButton*>("buyCredit")->isEnabled());
  EXPECT_TRUE(dialog.findChild<QPushButton*>("login")->isEnabled());
  EXPECT_TRUE(dialog.findChild<QPushButton*>("signUp")->isEnabled());
  EXPECT_FALSE(service.started());
  EXPECT_EQ(dialog.findChild<QLineEdit*>("credit")->text(), "");
}

TEST_F(FaxDialogsTest, AcceptedLoginShowsTheAccountAndStartsTheWorkers) {
  server.setCredit(1234567);
  server.setOwnNumber("0299990000");
  memory->rememberLogin("alice", "secret");
  CFaxLoginDlg dialog(parts(), documents);
  dialog.show();
  EXPECT_EQ(dialog.findChild<QLineEdit*>("userId")->text(), "alice");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("password")->text(), "secret");
  logIn(dialog, "bob", "hunter2");

  EXPECT_EQ(dialog.findChild<QMessageBox*>(), nullptr);
  EXPECT_EQ(dialog.findChild<QLineEdit*>("credit")->text(), "1,234,567");
  EXPECT_EQ(dialog.findChild<QLineEdit*>("ownNumber")->text(), "0299990000");
  EXPECT_TRUE(dialog.findChild<QLineEdit*>("userId")->isReadOnly());
  EXPECT_TRUE(dialog.findChild<QLineEdit*>("password")->isReadOnly());
  EXPECT_TRUE(dialog.findChild<QPushButton*>("ok")->isEnabled());
  EXPECT_TRUE(dialog.findChild<QPushButton*>("sentHistory")->isEnabled());
  EXPECT_EQ(memory->userId(), "bob");
  EXPECT_EQ(memory->password(), "hunter2");
  EXPECT_TRUE(service.started());
  EXPECT_TRUE(server.waitFor(
      [&] {
        return !server.received(kLogin, kSendPurpose).empty() && !server.received(kLogin, kReportPurpose).empty() &&
               !server.received(kLogin, kReceivePurpose).empty();
      },
      std::chrono::seconds(20)))
      << "the send, report and receive workers log in";

  // A member page: the login posted by a private page of our own.
  QTest::mouseClick(dialog.findChild<QPushButton*>("buyCredit"), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  struct stat info {};
  ASSERT_EQ(::stat(opened[0].c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  const std::string page = readFile(opened[0]);
  EXPECT_NE(page.find("action=\"https://member.example/Member/Alert_Login_Nokey_xmode.asp\""), std::string::npos);
  EXPECT_NE(page.find("name=\"userID\" value=\"bob\""), std::string::npos);
  EXPECT_NE(page.find("name=\"strPWD\" value=\"hunter2\""), std::string::npos);
  EXPECT_NE(page.find("name=\"movePg\" value=\"101\""), std::string::npos);
}

TEST_F(FaxDialogsTest, SendDialogQueuesTheFaxAndTheServerGetsItAll) {
  server.setCredit(5);
  server.setOwnNumber("0299990000");
  CFaxLoginDlg dialog(parts(), documents);
  dialog.show();
  logIn(dialog, "alice", "secret");
  ASSERT_TRUE(service.started());

  std::string fod;
  bool sendDialogSeen = false;
  // The send dialog runs modally once OK is pressed; it is filled in from
  // within its own event loop.
  QTimer::singleShot(0, [&] {
    CFaxSendDlg* send = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* candidate = qobject_cast<CFaxSendDlg*>(widget); candidate && candidate->isVisible()) send = candidate;
    }
    ASSERT_NE(send, nullptr);
    sendDialogSeen = true;
    EXPECT_EQ(send->windowTitle(), "Send Fax");
    auto* country = send->findChild<QComboBox*>("country");
    EXPECT_EQ(country->currentText(), "Korea");
    EXPECT_EQ(country->currentData().toInt(), 82);
    EXPECT_EQ(send->findChild<QComboBox*>("fontSize")->currentIndex(), 26);
    auto* list = send->findChild<QTreeWidget*>("documents");
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Scan0000.pdf");
    EXPECT_EQ(list->topLevelItem(0)->text(1), "    31 bytes");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "   1.5 KB");
    send->findChild<QComboBox*>("receiver")->setEditText("0212345678");
    send->findChild<QLineEdit*>("subject")->setText("Invoice");
    send->findChild<QPlainTextEdit*>("cover")->setPlainText("Dear Bob & Co\n<urgent>");
    QTest::mouseClick(send->findChild<QPushButton*>("ok"), Qt::LeftButton);
    fod = send->queued().fod;
  });
  QTest::mouseClick(dialog.findChild<QPushButton*>("ok"), Qt::LeftButton);
  ASSERT_TRUE(sendDialogSeen);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(fod.size(), 14u);

  // The request, wherever the service has got to with it.
  std::string request;
  ASSERT_TRUE(eventually([&] {
    request = readFile(spool + "/Send/" + fod + ".inf");
    if (request.empty()) request = readFile(spool + "/Send/" + today() + "/" + fod + ".inf");
    return !request.empty();
  }));
  EXPECT_EQ(request, "[Lumora]\r\nCountry=82\r\nReceiverNo=0212345678\r\nTitle=Invoice\r\nUserID=alice\r\n"
                     "SenderNo=0299990000\r\nFileCount=3\r\nFileName=" +
                         fod + ".html,Scan0000.pdf,Scan0001.pdf\r\nFOD=" + fod + "\r\n");
  EXPECT_EQ(memory->receiverHistory(), "0212345678");

  ASSERT_TRUE(server.waitFor([&] { return !server.received(kSendRequest).empty(); }, std::chrono::seconds(30)));
  const fakefax::Bytes sent = server.received(kSendRequest).front().bytes;
  EXPECT_TRUE(contains(sent, "%PDF-1.4 first scanned document"));
  EXPECT_TRUE(contains(sent, std::string(1500, 's')));
  EXPECT_TRUE(contains(sent, "<p style=\"font-size:35px\">Dear Bob &amp; Co</p>"
                             "<p style=\"font-size:35px\">&lt;urgent&gt;</p>"));

  const std::string result = spool + "/Send/" + today() + "/" + fod + ".rlt";
  EXPECT_TRUE(eventually([&] {
    return fs::exists(result) && platform::GetPrivateProfileString("Lumora", "intState", "", result) == "3";
  })) << "the transmission report ends the fax as sent";
}

TEST_F(FaxDialogsTest, FailedQueueIsReportedAndTheSendDialogStaysOpen) {
  FaxDialogParts dialogParts = parts();
  CFaxSendDlg send(dialogParts, {"alice", "secret", "0299990000", {documents[0], tempRoot() + "/scans/gone.pdf"}});
  send.show();
  send.findChild<QComboBox*>("receiver")->setEditText("0212345678");
  QTest::mouseClick(send.findChild<QPushButton*>("ok"), Qt::LeftButton);
  EXPECT_TRUE(send.isVisible());
  auto* box = send.findChild<QMessageBox*>();
  ASSERT_NE(box, nullptr);
  EXPECT_NE(box->text().indexOf("gone.pdf"), -1);
  EXPECT_FALSE(fs::exists(spool + "/Send/Scan0000.pdf"));
  EXPECT_EQ(memory->receiverHistory(), "");
}

}  // namespace
}  // namespace ostrel
