// The destination properties dialog, driven through its widgets, with the
// destination file checked afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/ui/config/app_dialog.h"
#include "tests/config/config_fixture.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

LocalizedText noTexts() { return LocalizedText(tempRoot() + "/no-texts.ini"); }

template <typename Widget>
Widget* child(QWidget& parent, const char* name) {
  auto* found = parent.findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

TEST(DestinationDialog, StorageOnlyDestinationKeepsItsEmptyPath) {
  ProfileStore store;
  loadProfiles(store);
  CAppDlg dialog(nullptr, store, "Storage", noTexts());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_FALSE(child<QLineEdit>(dialog, "path")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(dialog, "browse")->isEnabled());
  EXPECT_EQ(child<QLineEdit>(dialog, "name")->text(), "Storage");
  EXPECT_TRUE(child<QCheckBox>(dialog, "format64")->isChecked());
  EXPECT_FALSE(child<QCheckBox>(dialog, "format128")->isChecked());
  QTest::keyClicks(child<QLineEdit>(dialog, "before"), "--new");
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(iniValue(destinationFile(), "0", "Path"), "");
  EXPECT_EQ(iniValue(destinationFile(), "0", "BeforeFix"), "--new");
  EXPECT_EQ(store.FindApplicationSetting("Storage")->path, "");
}

TEST(DestinationDialog, NewDestinationTakesTheDefaultFormatOfItsCheckedBoxes) {
  ProfileStore store;
  loadProfiles(store);
  CAppDlg dialog(nullptr, store, "", noTexts());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTest::keyClicks(child<QLineEdit>(dialog, "path"), "/bin/true");
  QTest::keyClicks(child<QLineEdit>(dialog, "name"), "Reader");
  child<QCheckBox>(dialog, "format128")->click();
  child<QCheckBox>(dialog, "format2")->click();
  child<QCheckBox>(dialog, "folderOnly")->click();
  QTest::keyClick(&dialog, Qt::Key_Return);
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(dialog.outcome().created);
  EXPECT_EQ(dialog.outcome().defaultFormat, 2);
  EXPECT_EQ(iniValue(destinationFile(), "5", "Title"), "Reader");
  EXPECT_EQ(iniValue(destinationFile(), "5", "FolderOnly"), "1");

  CAppDlg again(nullptr, store, "Reader", noTexts());
  again.show();
  child<QCheckBox>(again, "format64")->click();
  child<QPushButton>(again, "ok")->click();
  EXPECT_EQ(store.FindApplicationSetting("Reader")->defaultFormat, 64);
  EXPECT_EQ(iniValue(destinationFile(), "5", "DefaultFormat"), "64");
}

TEST(DestinationDialog, FailedChecksKeepTheDialogOpenWithTheFocusOnTheField) {
  ProfileStore store;
  loadProfiles(store);
  const std::size_t before = store.ApplicationSettingList().size();
  CAppDlg dialog(nullptr, store, "", noTexts());
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  QTest::keyClicks(child<QLineEdit>(dialog, "path"), "/bin/true");
  QTest::keyClicks(child<QLineEdit>(dialog, "name"), "Viewer");

  SeenMessage taken;
  answerNextMessage(taken, &dialog);
  child<QPushButton>(dialog, "ok")->click();
  EXPECT_TRUE(taken.seen);
  EXPECT_EQ(taken.text, "Application Name has already existed.");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(store.ApplicationSettingList().size(), before);
  EXPECT_EQ(iniValue(destinationFile(), "5", "Title"), "<missing>");
  EXPECT_EQ(dialog.focusWidget(), child<QLineEdit>(dialog, "name"));

  child<QLineEdit>(dialog, "name")->setText("Fresh");
  child<QLineEdit>(dialog, "path")->clear();
  SeenMessage blank;
  answerNextMessage(blank, &dialog);
  child<QPushButton>(dialog, "ok")->click();
  EXPECT_EQ(blank.text, "Application Path should not be blank.");
  EXPECT_EQ(dialog.focusWidget(), child<QLineEdit>(dialog, "path"));

  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(store.ApplicationSettingList().size(), before);
}

TEST(DestinationDialog, BrowseFillsPathAndTheProgramsNameWithoutExtension) {
  ProfileStore store;
  loadProfiles(store);
  const std::string program = writeFile(tempRoot() + "/programs/viewer.exe", "#!/bin/sh\n");
  CAppDlg dialog(nullptr, store, "", noTexts());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  whenModalOpens(
      [program](QWidget* modal) { chooseInFileDialog(modal, QString::fromStdString(program)); },
      &dialog);
  child<QPushButton>(dialog, "browse")->click();
  EXPECT_EQ(child<QLineEdit>(dialog, "path")->text().toStdString(), program);
  EXPECT_EQ(child<QLineEdit>(dialog, "name")->text(), "viewer");
}

TEST(DestinationDialog, EntryReturnsNothingOnCancelAndTheOutcomeOnOk) {
  ProfileStore store;
  loadProfiles(store);
  whenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(editDestination(nullptr, store, "Viewer", noTexts()), std::nullopt);
  whenModalOpens([](QWidget* modal) {
    child<QLineEdit>(*modal, "name")->setText("Picture Viewer");
    QTest::keyClick(modal, Qt::Key_Return);
  });
  const auto outcome = editDestination(nullptr, store, "Viewer", noTexts());
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome->name, "Picture Viewer");
  EXPECT_FALSE(outcome->created);
  EXPECT_EQ(iniValue(destinationFile(), "2", "Title"), "Picture Viewer");
}

}  // namespace
}  // namespace ostrel
