// The configuration window and the easy dialog, driven through their widgets,
// with the profile files checked afterwards.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/ui/config/config_dialog_window.h"
#include "app/ui/config/easy_dialog.h"
#include "app/ui/config/naming_menu.h"
#include "tests/config/config_fixture.h"
#include "tests/support/no_cloud_account.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

template <typename Widget>
Widget* child(QWidget& parent, const char* name) {
  auto* found = parent.findChild<Widget*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

using ostrel::testing::NoCloudAccount;

struct ConfigSetup {
  explicit ConfigSetup(ScannerShape shape = {true, true, 2550, 4200}) : scanner(shape) { loadProfiles(store); }
  ConfigContext context() {
    return {store, scanner, "Test Scanner", tempRoot() + "/bin", LocalizedText(tempRoot() + "/none.ini"), cloud};
  }
  ProfileStore store;
  ScannerShape scanner;
  NoCloudAccount cloud;
};

void choose(QComboBox* list, const QString& text) {
  const int index = list->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  list->setCurrentIndex(index);
  emit list->activated(index);
}

QStringList items(const QComboBox* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->itemText(i);
  return texts;
}

TEST(ConfigWindow, PresetChoosesTheButtonAndShowsItsDestination) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CConfigDlg none(nullptr, context, 0);
  auto* buttons = child<QComboBox>(none, "buttons");
  EXPECT_EQ(items(buttons), (QStringList{"1 - Button 1", "2 - ", "3 - Button 3", "4 - Button 4"}));
  EXPECT_EQ(none.selectedButton(), 1);
  EXPECT_EQ(child<QLabel>(none, "destinationName")->text(), "Viewer");
  EXPECT_TRUE(child<QRadioButton>(none, "easy")->isChecked());
  buttons->setCurrentIndex(1);  // no destination
  EXPECT_EQ(child<QLabel>(none, "destinationName")->text(), "");

  CConfigDlg third(nullptr, context, 3);
  EXPECT_EQ(third.selectedButton(), 3);
  EXPECT_EQ(child<QLabel>(third, "destinationName")->text(), "Printer");
  third.show();
  int edited = 0;
  whenModalOpens([&edited](QWidget* modal) {
    auto* easy = qobject_cast<CEasyDlg*>(modal);
    ASSERT_NE(easy, nullptr);
    edited = easy->button();
    QTest::keyClick(modal, Qt::Key_Escape);  // Back
  }, &third);
  QTest::keyClick(&third, Qt::Key_Return);  // Next
  EXPECT_EQ(edited, 3);
  EXPECT_TRUE(third.isVisible());  // back from easy mode
  EXPECT_EQ(third.result(), QDialog::Rejected);
}

TEST(ConfigWindow, ProgramIconComesFromTheDesktopEntryThatStartsIt) {
  const ScopedEnvironment dataHome("XDG_DATA_HOME", nullptr);
  const ScopedEnvironment dataDirs("XDG_DATA_DIRS", tempRoot() + "/nothing");
  ConfigSetup setup;
  ConfigContext context = setup.context();
  const auto middle = [](const CConfigDlg& dialog) {
    return dialog.findChild<QLabel*>("destinationIcon")->pixmap().toImage().pixel(16, 16);
  };
  CConfigDlg generic(nullptr, context, 1);  // "Viewer" starts /bin/true, no entry yet
  const QRgb genericPixel = middle(generic);

  QImage red(32, 32, QImage::Format_RGB32);
  red.fill(Qt::red);
  const std::string icon = writeFile(tempRoot() + "/icons/viewer.png", "");
  ASSERT_TRUE(red.save(QString::fromStdString(icon)));
  writeFile(tempRoot() + "/home/.local/share/applications/org.example.Viewer.desktop",
            "[Desktop Entry]\nType=Application\nName=Viewer\nIcon=" + icon + "\nExec=\"/usr/bin/true\" %F\n");
  CConfigDlg fromEntry(nullptr, context, 1);
  EXPECT_EQ(middle(fromEntry), qRgb(255, 0, 0));
  EXPECT_NE(genericPixel, qRgb(255, 0, 0));
}

TEST(ConfigWindow, CloseRequestWhileTheEasyDialogIsOpenClosesBoth) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CConfigDlg dialog(nullptr, context, 1);
  dialog.show();
  bool childClosed = false;
  whenModalOpens([&](QWidget* modal) {
    QObject::connect(modal, &QObject::destroyed, [&] { childClosed = true; });
    dialog.requestClose();
  }, &dialog);
  child<QPushButton>(dialog, "next")->click();
  EXPECT_TRUE(childClosed);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(iniValue(buttonFile(), "1", "Title"), "Button 1");  // nothing applied
}

TEST(ConfigWindow, AdvancedModeOpensTheWizardAndItsBackShowsTheWindowAgain) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CConfigDlg dialog(nullptr, context, 1);
  dialog.show();
  child<QRadioButton>(dialog, "advanced")->click();
  QString page;
  whenModalOpens(
      [&page](QWidget* modal) {
        page = QString::fromLatin1(modal->metaObject()->className());
        modal->findChild<QPushButton*>(QStringLiteral("back"))->click();
      },
      &dialog);
  child<QPushButton>(dialog, "next")->click();
  EXPECT_EQ(page, "ostrel::CAdv1Dlg");
  EXPECT_TRUE(dialog.isVisible());
}

TEST(EasyDialog, ButtonWithoutDestinationHasNoFormatList) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 2);
  EXPECT_EQ(child<QComboBox>(dialog, "destination")->currentIndex(), -1);
  EXPECT_FALSE(child<QComboBox>(dialog, "format")->isEnabled());
  EXPECT_EQ(child<QLineEdit>(dialog, "title")->text(), "");
  EXPECT_EQ(child<QLineEdit>(dialog, "title")->maxLength(), 25);
  EXPECT_EQ(items(child<QComboBox>(dialog, "number")), (QStringList{"1", "2", "3", "4"}));
}

TEST(EasyDialog, PrintingForcesBmpAndAnEmptyFolder) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  auto* format = child<QComboBox>(dialog, "format");
  EXPECT_EQ(items(format), (QStringList{"JPG", "PDF"}));
  EXPECT_EQ(format->currentText(), "PDF");
  choose(child<QComboBox>(dialog, "destination"), "Printer");
  EXPECT_EQ(items(format), QStringList{"BMP"});
  EXPECT_FALSE(format->isEnabled());
  EXPECT_EQ(child<QLineEdit>(dialog, "folder")->text(), "");
  EXPECT_FALSE(child<QLineEdit>(dialog, "folder")->isEnabled());
  EXPECT_FALSE(child<QPushButton>(dialog, "browse")->isEnabled());
  EXPECT_FALSE(child<QCheckBox>(dialog, "selectFolder")->isEnabled());
  EXPECT_EQ(setup.store.Button(1)->fileFormat, 1);
  EXPECT_EQ(setup.store.Button(1)->fileFormatProperty, 0);
  child<QPushButton>(dialog, "apply")->click();
  EXPECT_EQ(iniValue(buttonFile(), "1", "ImageFolder"), "");
  EXPECT_EQ(iniValue(buttonFile(), "1", "ApplicationSetting"), "Printer");
  EXPECT_EQ(iniValue(buttonFile(), "1", "FileFormat"), "1");
}

TEST(EasyDialog, ChoosingADestinationTakesItsDefaultsAndFormatsSetTheProperty) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 3);  // printing
  choose(child<QComboBox>(dialog, "destination"), "Storage");
  auto* format = child<QComboBox>(dialog, "format");
  // Code order, single-page PDF (32) left out; the default (64) selected.
  EXPECT_EQ(items(format), (QStringList{"BMP", "JPG", "GIF", "Single-Page TIFF", "Multi-Page TIFF", "PDF"}));
  EXPECT_EQ(format->currentText(), "PDF");
  EXPECT_EQ(child<QLineEdit>(dialog, "folder")->text(), "/tmp/storage-default/");
  EXPECT_TRUE(child<QLineEdit>(dialog, "folder")->isEnabled());
  CButtonSetting& button = *setup.store.Button(3);
  EXPECT_EQ(button.fileFormat, 64);
  EXPECT_EQ(button.fileFormatProperty, 3);
  EXPECT_EQ(button.applicationSetting->title, "Storage");
  choose(format, "JPG");
  EXPECT_EQ(button.fileFormatProperty, 1);
  choose(format, "Multi-Page TIFF");
  EXPECT_EQ(button.fileFormatProperty, 0);  // a format choice gives TIFF no 6
  EXPECT_EQ(iniValue(buttonFile(), "3", "ApplicationSetting"), "Printer");  // nothing saved yet
}

TEST(EasyDialog, BothSidesNeedsADuplexFeeder) {
  ConfigSetup simplex({true, false, 2550, 4200});
  ConfigContext context = simplex.context();
  CEasyDlg dialog(nullptr, context, 1);  // ScanSide=2 in the record
  EXPECT_FALSE(child<QRadioButton>(dialog, "both")->isEnabled());
  EXPECT_TRUE(child<QRadioButton>(dialog, "front")->isChecked());

  ConfigSetup duplex;
  ConfigContext duplexContext = duplex.context();
  CEasyDlg both(nullptr, duplexContext, 1);
  EXPECT_TRUE(child<QRadioButton>(both, "both")->isChecked());
}

// The paper size row applied on a feeder scanner of the given maximum width.
CScanSetting applyPaper(int maxWidth, const QString& row, int button = 1) {
  ConfigSetup setup({true, true, maxWidth, 4200});
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, button);
  choose(child<QComboBox>(dialog, "paper"), row);
  child<QPushButton>(dialog, "apply")->click();
  return *setup.store.Button(button)->scanSetting;
}

TEST(EasyDialog, PaperSizeGeometryCentresTheSheetOnAFeeder) {
  applyPaper(2550, QString::fromUtf8("US Letter - 8.5\" x 11\""));
  EXPECT_EQ(iniValue(scanFile(), "0", "XOffset"), "0");
  EXPECT_EQ(iniValue(scanFile(), "0", "Width"), "2550");
  EXPECT_EQ(iniValue(scanFile(), "0", "Height"), "3300");
  EXPECT_EQ(iniValue(scanFile(), "0", "PaperSize"), "4");
  EXPECT_EQ(iniValue(scanFile(), "0", "Automatic"), "0");
  EXPECT_EQ(applyPaper(2600, QString::fromUtf8("US Letter - 8.5\" x 11\"")).xOffset, 25);
  EXPECT_EQ(iniValue(scanFile(), "0", "XOffset"), "25");
  // A sheet wider than the scanner starts at its edge, never left of it.
  EXPECT_EQ(applyPaper(2000, QString::fromUtf8("US Letter - 8.5\" x 11\"")).xOffset, 0);
  EXPECT_EQ(iniValue(scanFile(), "0", "XOffset"), "0");
  const CScanSetting largest = applyPaper(2600, "Maximum Size");
  EXPECT_EQ(largest.width, 2600);
  EXPECT_EQ(largest.height, 4200);
  EXPECT_EQ(applyPaper(2600, "Automatic").automatic, 1);
  EXPECT_EQ(iniValue(scanFile(), "0", "Automatic"), "1");
}

TEST(EasyDialog, CustomPaperKeepsTheGeometry) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  choose(child<QComboBox>(dialog, "profile"), "Receipt");
  EXPECT_EQ(child<QComboBox>(dialog, "paper")->currentText(), "Custom");
  child<QPushButton>(dialog, "apply")->click();
  EXPECT_EQ(iniValue(buttonFile(), "1", "ScanSetting"), "Receipt");
  EXPECT_EQ(iniValue(scanFile(), "2", "Width"), "900");
  EXPECT_EQ(iniValue(scanFile(), "2", "Height"), "2000");
  EXPECT_EQ(iniValue(scanFile(), "2", "XOffset"), "7");
  EXPECT_EQ(iniValue(scanFile(), "2", "YOffset"), "9");
}

TEST(EasyDialog, ChoosingTheSameProfileDropsItsUnsavedEdits) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  CScanSetting& text = *setup.store.FindScanSetting("Text");
  text.resolution = 999;
  choose(child<QComboBox>(dialog, "profile"), "Text");
  EXPECT_EQ(text.resolution, 200);
  choose(child<QComboBox>(dialog, "profile"), "Photo");
  EXPECT_EQ(setup.store.Button(1)->scanSetting->title, "Photo");
  EXPECT_EQ(child<QComboBox>(dialog, "paper")->currentText(), "Automatic");
}

TEST(EasyDialog, NamingMenuMergesTokensIntoTheLastBracketGroup) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  auto* name = child<QLineEdit>(dialog, "name");
  const auto menu = makeNamingMenu(*name, LocalizedText(tempRoot() + "/none.ini"));
  const QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 13);
  EXPECT_EQ(actions[1]->text(), "<YYYY> year, 4 digits");
  actions[1]->trigger();
  EXPECT_EQ(name->text(), "Scan<####YYYY>");
  name->setText("Scan");
  actions[1]->trigger();
  EXPECT_EQ(name->text(), "Scan<YYYY>");
  name->clear();
  actions[1]->trigger();
  EXPECT_EQ(name->text(), "<YYYY>");
}

TEST(EasyDialog, EditingTheFolderDropsTheCloudFolderIdentifier) {
  ConfigSetup setup;
  setup.store.Button(1)->id = "FolderID::abc";
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  EXPECT_EQ(setup.store.Button(1)->id, "FolderID::abc");  // opening keeps it
  QTest::keyClicks(child<QLineEdit>(dialog, "folder"), "x");
  EXPECT_EQ(setup.store.Button(1)->id, "");
}

TEST(EasyDialog, CloudBrowseWithoutTheChooserLibrarySaysSo) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  dialog.show();
  choose(child<QComboBox>(dialog, "destination"), "Docs");
  const QString folder = child<QLineEdit>(dialog, "folder")->text();
  SeenMessage message;
  answerNextMessage(message, &dialog);
  child<QPushButton>(dialog, "browse")->click();
  EXPECT_EQ(message.text, "Drovel.dll is missing.");
  EXPECT_EQ(child<QLineEdit>(dialog, "folder")->text(), folder);
  EXPECT_EQ(setup.cloud.opened, 0);
}

TEST(EasyDialog, CloudBrowseAsksForAnAccountLogsInAndTakesTheChosenFolder) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  context.programFolder = OSTREL_TEST_CHOOSER_DIR;
  CButtonSetting& button = *setup.store.Button(1);
  CEasyDlg dialog(nullptr, context, 1);
  dialog.show();
  choose(child<QComboBox>(dialog, "destination"), "Docs");
  auto* folder = child<QLineEdit>(dialog, "folder");
  auto* browse = child<QPushButton>(dialog, "browse");

  SeenMessage noAccount;
  answerNextMessage(noAccount, &dialog);
  browse->click();
  EXPECT_EQ(noAccount.text, "Please configure your username and password!");
  EXPECT_EQ(setup.cloud.opened, 1);

  button.account = "someone";
  button.password = "wrong";
  folder->setText("/before/");
  SeenMessage refused;
  answerNextMessage(refused, &dialog);
  browse->click();
  EXPECT_EQ(refused.text, "Login Google docs failed.");
  EXPECT_EQ(folder->text(), "/before/");

  button.password = "right";
  browse->click();
  EXPECT_EQ(folder->text(), "\\Work\\Invoices\\");
  EXPECT_EQ(button.id, "FolderID::0B7x");  // set after the folder text, so it stays
  dialog.apply();
  EXPECT_EQ(iniValue(buttonFile(), "1", "ID"), "FolderID::0B7x");

  folder->setText("cancel");  // the stand-in's way of leaving the chooser
  browse->click();
  EXPECT_EQ(folder->text(), "");
  EXPECT_EQ(button.id, "");
}

TEST(EasyDialog, ExactDestinationNameWinsOverAnEarlierOneItStarts) {
  ConfigSetup setup;
  setup.store.FindApplicationSetting("Printer")->title = "Viewer Old";
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  EXPECT_EQ(child<QComboBox>(dialog, "destination")->currentText(), "Viewer");
  dialog.apply();
  EXPECT_EQ(iniValue(buttonFile(), "1", "ApplicationSetting"), "Viewer");
}

TEST(EasyDialog, FinishWritesEveryFieldAndBackWritesNothing) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  {
    CEasyDlg dialog(nullptr, context, 4);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto* title = child<QLineEdit>(dialog, "title");
    title->selectAll();
    QTest::keyClicks(title, "Not saved");
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(iniValue(buttonFile(), "4", "Title"), "Button 4");
  }
  CEasyDlg dialog(nullptr, context, 1);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  choose(child<QComboBox>(dialog, "number"), "4");  // the unapplied title above is gone
  auto* title = child<QLineEdit>(dialog, "title");
  EXPECT_EQ(title->text(), "Button 4");
  title->setText("Receipts");
  child<QLineEdit>(dialog, "folder")->setText("/srv/receipts/");
  child<QLineEdit>(dialog, "name")->setText("R<YYYY>");
  child<QCheckBox>(dialog, "selectFolder")->setChecked(true);
  child<QCheckBox>(dialog, "selectName")->setChecked(true);
  child<QCheckBox>(dialog, "morePages")->setChecked(true);
  child<QRadioButton>(dialog, "front")->setChecked(true);
  choose(child<QComboBox>(dialog, "format"), "JPG");
  QTest::keyClick(title, Qt::Key_Return);  // Finish
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(iniValue(buttonFile(), "4", "Title"), "Receipts");
  EXPECT_EQ(iniValue(buttonFile(), "4", "ImageFolder"), "/srv/receipts/");
  EXPECT_EQ(iniValue(buttonFile(), "4", "ImageName"), "R<YYYY>");
  EXPECT_EQ(iniValue(buttonFile(), "4", "SelectFolder"), "1");
  EXPECT_EQ(iniValue(buttonFile(), "4", "SelectName"), "1");
  EXPECT_EQ(iniValue(buttonFile(), "4", "MorePages"), "1");
  EXPECT_EQ(iniValue(buttonFile(), "4", "ScanSide"), "0");
  EXPECT_EQ(iniValue(buttonFile(), "4", "FileFormat"), "2");
  EXPECT_EQ(iniValue(buttonFile(), "4", "FileFormatProperty"), "1");
  EXPECT_EQ(iniValue(buttonFile(), "1", "Title"), "Button 1");
}

TEST(EasyDialog, TabFollowsTheLayoutAndEscapeGoesBack) {
  ConfigSetup setup;
  ConfigContext context = setup.context();
  CEasyDlg dialog(nullptr, context, 1);
  dialog.show();
  QApplication::setActiveWindow(&dialog);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(dialog, "title"));
  const char* expected[] = {"destination", "profile", "paper", "front"};
  for (const char* name : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // Back
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace ostrel
