// The cloud account dialog, driven as a user would, against a real WebDAV server.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <functional>

#include "app/ui/cloud/google_doc_dialog.h"
#include "tests/cloud/webdav_server.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// Runs `act` once a modal window of type W is on screen.
template <typename W>
void whenShown(std::function<void(W&)> act) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(*window);
  });
  timer->start();
}

QString messageShown(CGoogleDocDlg& dialog) {
  QString text;
  whenShown<QMessageBox>([&](QMessageBox& box) {
    text = box.text();
    box.accept();
  });
  dialog.browseButton()->click();
  return text;
}

class AccountDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = testing::tempRoot() + "/store";
    fs::create_directories(root_ + "/Invoices/2024");
    fs::create_directories(root_ + "/Letters");
  }
  std::string root_;
  testing::WebDavServer server_;
};

TEST_F(AccountDialog, OpensWithTheIdentifierInBracesSplitOffThePath) {
  CButtonSetting button;
  button.imageFolder = "{abc}\\Work\\";
  CGoogleDocDlg dialog(button, testing::binDir());
  EXPECT_EQ(dialog.folderField()->text(), "\\Work\\");
  EXPECT_EQ(dialog.folderId(), "abc");
  button.imageFolder = "\\Plain\\";
  CGoogleDocDlg plain(button, testing::binDir());
  EXPECT_EQ(plain.folderField()->text(), "\\Plain\\");
}

TEST_F(AccountDialog, BrowsingWithoutTheChooserLibrarySaysSoAndChangesNothing) {
  CButtonSetting button;
  button.imageFolder = "/Old/";
  button.id = "FolderID::/Old/";
  CGoogleDocDlg dialog(button, testing::tempRoot());
  EXPECT_EQ(messageShown(dialog), "Drovel.dll is missing.");
  EXPECT_EQ(dialog.folderField()->text(), "/Old/");
  EXPECT_EQ(dialog.folderId(), "FolderID::/Old/");
}

TEST_F(AccountDialog, ARefusedLoginSaysSoAndAChosenFolderReachesTheRecordOnOkOnly) {
  const std::string reason = server_.start(root_);
  if (!reason.empty()) GTEST_SKIP() << reason;
  CButtonSetting button;
  CGoogleDocDlg dialog(button, testing::binDir());
  dialog.serverField()->setText(QString::fromStdString(server_.url()));
  dialog.userField()->setText("u");
  dialog.passwordField()->setText("wrong");
  EXPECT_EQ(messageShown(dialog), "Login Google docs failed.");

  dialog.passwordField()->setText(testing::kDavPassword);
  whenShown<QDialog>([](QDialog& chooser) {
    auto* tree = chooser.findChild<QTreeWidget*>("folderTree");
    ASSERT_NE(tree, nullptr);
    QTreeWidgetItem* invoices = nullptr;
    for (int i = 0; i < tree->topLevelItem(0)->childCount(); ++i) {
      if (tree->topLevelItem(0)->child(i)->text(0) == "Invoices") invoices = tree->topLevelItem(0)->child(i);
    }
    ASSERT_NE(invoices, nullptr);
    tree->setCurrentItem(invoices->child(0));
    chooser.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  dialog.browseButton()->click();
  EXPECT_EQ(dialog.folderField()->text(), "/Invoices/2024/");
  EXPECT_EQ(dialog.folderId(), "FolderID::/Invoices/2024/");
  EXPECT_TRUE(button.account.empty());  // nothing before OK

  dialog.accept();
  EXPECT_EQ(button.server, server_.url());
  EXPECT_EQ(button.account, "u");
  EXPECT_EQ(button.password, testing::kDavPassword);
  EXPECT_EQ(button.id, "FolderID::/Invoices/2024/");
  EXPECT_EQ(button.imageFolder, "/Invoices/2024/");
}

TEST_F(AccountDialog, TheManagersDialogSavesOnOkAndGivesNothingOnCancel) {
  CButtonSetting button;
  int saved = 0;
  QtCloudAccountDialog manager(testing::binDir(), [&](const CButtonSetting&) { ++saved; });
  whenShown<CGoogleDocDlg>([](CGoogleDocDlg& dialog) { dialog.reject(); });
  EXPECT_EQ(manager.run(button, 1), std::nullopt);
  EXPECT_EQ(saved, 0);
  whenShown<CGoogleDocDlg>([](CGoogleDocDlg& dialog) {
    dialog.userField()->setText("me");
    dialog.passwordField()->setText("pw");
    dialog.accept();
  });
  EXPECT_EQ(manager.run(button, 1), std::optional<std::string>(""));
  EXPECT_EQ(saved, 1);
  EXPECT_EQ(button.account, "me");
}

}  // namespace
}  // namespace ostrel
