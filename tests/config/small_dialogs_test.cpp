// The small dialogs driven as a user would: keys into the real widgets, results
// checked, and what lands in the profile files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "app/ui/config/file_name_dialog.h"
#include "app/ui/config/folder_browser.h"
#include "app/ui/config/ftp_dialog.h"
#include "app/ui/config/jpeg_setting_dialog.h"
#include "app/ui/config/pdf_setting_dialog.h"
#include "platform/environment.h"
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

TEST(ProfileNameDialog, OkFollowsTheFieldAndNothingButOkEndsIt) {
  CFileNameDlg dialog(nullptr, noTexts());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  auto* ok = child<QPushButton>(dialog, "ok");
  auto* name = child<QLineEdit>(dialog, "name");
  EXPECT_FALSE(ok->isEnabled());
  EXPECT_TRUE(name->hasFocus());
  EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
  QTest::keyClick(name, Qt::Key_A);
  EXPECT_TRUE(ok->isEnabled());
  QTest::keyClick(name, Qt::Key_Backspace);
  EXPECT_FALSE(ok->isEnabled());

  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
  dialog.close();
  EXPECT_TRUE(dialog.isVisible());

  QTest::keyClicks(name, "Invoices");
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.name(), "Invoices");
}

TEST(PdfDialog, OptionsMapThreeZeroTwoAndAnyOtherValueIsImageOnly) {
  for (const auto& [given, checked] :
       {std::pair{1, "imageOnly"}, {3, "imageOnly"}, {0, "textReplacement"}, {2, "textUnderImage"}}) {
    CPdfSetDlg dialog(nullptr, given, noTexts());
    EXPECT_TRUE(child<QRadioButton>(dialog, checked)->isChecked()) << given;
  }
  whenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  EXPECT_EQ(askPdfOption(nullptr, 1, noTexts()), 3);

  whenModalOpens([](QWidget* modal) {
    child<QRadioButton>(*modal, "textUnderImage")->click();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  EXPECT_EQ(askPdfOption(nullptr, 3, noTexts()), 2);

  whenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(askPdfOption(nullptr, 0, noTexts()), std::nullopt);
}

TEST(JpegDialog, SliderRunsFromBestToSmallestAndCancelReturnsNothing) {
  CJpegSetDlg dialog(nullptr, 1, noTexts());
  auto* slider = child<QSlider>(dialog, "quality");
  EXPECT_EQ(slider->value(), slider->minimum());
  EXPECT_EQ(slider->minimum(), 1);
  EXPECT_EQ(slider->maximum(), 100);
  EXPECT_EQ(slider->tickInterval(), 1);

  whenModalOpens([](QWidget* modal) {
    QTest::keyClick(child<QSlider>(*modal, "quality"), Qt::Key_End);
    QTest::keyClick(modal, Qt::Key_Return);
  });
  EXPECT_EQ(askJpegQuality(nullptr, 40, noTexts()), 100);
  whenModalOpens([](QWidget* modal) {
    QTest::keyClick(child<QSlider>(*modal, "quality"), Qt::Key_Right);
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_EQ(askJpegQuality(nullptr, 40, noTexts()), std::nullopt);
}

TEST(FtpDialog, EveryFieldIsStoredAndShownAgainOnReopening) {
  ProfileStore store;
  loadProfiles(store);
  CButtonSetting& button = *store.Button(1);
  whenModalOpens([](QWidget* modal) {
    QTest::keyClicks(child<QLineEdit>(*modal, "address"), "ftp.example.org");
    QTest::keyClicks(child<QLineEdit>(*modal, "port"), "2121x");  // the letter is refused
    QTest::keyClicks(child<QLineEdit>(*modal, "user"), "scanner");
    QTest::keyClicks(child<QLineEdit>(*modal, "password"), "s3cret");
    auto* protocol = child<QComboBox>(*modal, "protocol");
    protocol->setCurrentIndex(protocol->findText("FTPS"));
    QTest::keyClick(modal, Qt::Key_Return);
  });
  ASSERT_TRUE(editFtpSettings(nullptr, button, noTexts()));
  EXPECT_EQ(button.server, "ftp.example.org");
  EXPECT_EQ(button.ftpPort, 2121);
  EXPECT_EQ(button.ftpAnonymous, 0);
  EXPECT_EQ(button.account, "scanner");
  EXPECT_EQ(button.password, "s3cret");
  EXPECT_EQ(button.ftpProtocol, "FTPS");
  ASSERT_TRUE(store.SaveButtonSetting(button));
  EXPECT_EQ(iniValue(buttonFile(), "1", "FtpPort"), "2121");
  EXPECT_EQ(iniValue(buttonFile(), "1", "FtpProtocol"), "FTPS");
  EXPECT_EQ(iniValue(buttonFile(), "1", "Server"), "ftp.example.org");

  // Reloaded from the file, the dialog shows what was typed; anonymous greys
  // the login, and Cancel keeps the record.
  ProfileStore reloaded;
  reloaded.LoadScanSettings(scanFile());
  reloaded.LoadApplicationSettings(destinationFile());
  reloaded.LoadButtonSettings(buttonFile(), 4);
  CFtpDlg again(nullptr, *reloaded.Button(1), noTexts());
  EXPECT_EQ(child<QLineEdit>(again, "port")->text(), "2121");
  EXPECT_EQ(child<QComboBox>(again, "protocol")->currentText(), "FTPS");
  EXPECT_EQ(child<QLineEdit>(again, "password")->echoMode(), QLineEdit::Password);
  child<QCheckBox>(again, "anonymous")->click();
  EXPECT_FALSE(child<QLineEdit>(again, "user")->isEnabled());

  whenModalOpens([](QWidget* modal) {
    child<QCheckBox>(*modal, "anonymous")->click();
    child<QLineEdit>(*modal, "port")->clear();
    QTest::keyClick(modal, Qt::Key_Escape);
  });
  EXPECT_FALSE(editFtpSettings(nullptr, button, noTexts()));
  EXPECT_EQ(button.ftpPort, 2121);
  whenModalOpens([](QWidget* modal) {
    child<QCheckBox>(*modal, "anonymous")->click();
    child<QLineEdit>(*modal, "port")->clear();
    QTest::keyClick(modal, Qt::Key_Return);
  });
  EXPECT_TRUE(editFtpSettings(nullptr, button, noTexts()));
  EXPECT_EQ(button.ftpPort, 0);  // empty: the protocol's own port
  EXPECT_EQ(button.ftpAnonymous, 1);
}

TEST(FolderBrowser, OpensAtTheExpandedFieldAndGivesTheChoiceATrailingSeparator) {
  const std::string documents = platform::documentsFolder();
  std::filesystem::create_directories(documents + "/Ostrel/Bills");
  QString startedAt;
  whenModalOpens([&](QWidget* modal) {
    auto* files = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(files, nullptr);
    startedAt = files->directory().absolutePath();
    chooseInFileDialog(modal, QString::fromStdString(documents + "/Ostrel/Bills"));
  });
  const auto chosen = browseForFolder(nullptr, "Choose the path:", "%MYDOCUMENTS%/Ostrel/");
  EXPECT_EQ(startedAt.toStdString(), documents + "/Ostrel");
  EXPECT_EQ(chosen, documents + "/Ostrel/Bills/");

  whenModalOpens([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_EQ(browseForFolder(nullptr, "Choose the path:", "/"), std::nullopt);
}

TEST(SmallDialogs, TextsComeFromTheTextsFileWithTheirKeys) {
  const std::string file = writeFile(tempRoot() + "/texts.ini",
                                     "[PDF]\r\nTitle=Réglage PDF\r\nRadio1=\r\n[JPG]\r\nText2=Meilleure\r\n"
                                     "[Profile]\r\nButton1=&Valider\r\n");
  const LocalizedText texts(file);
  CPdfSetDlg pdf(nullptr, 3, texts);
  EXPECT_EQ(pdf.windowTitle(), QString::fromUtf8("Réglage PDF"));
  EXPECT_EQ(child<QRadioButton>(pdf, "imageOnly")->text(), "");  // present but empty
  EXPECT_EQ(child<QRadioButton>(pdf, "textReplacement")->text(), "OCR with Text Replacement");
  CFileNameDlg name(nullptr, texts, "x");
  EXPECT_EQ(child<QPushButton>(name, "ok")->text(), "&Valider");
}

}  // namespace
}  // namespace ostrel
