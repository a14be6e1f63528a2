// The wizard's real pages, offscreen: the edge cases of each page, the files on
// disk after Finish, nothing written by Back or the close box, and the preview
// scan through the real session on a virtual scanner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "tests/support/no_cloud_account.h"
#include "app/core/wizard/wizard_steps.h"
#include "app/ui/config/config_dialog_window.h"
#include "app/scan/twain/paper_sizes.h"
#include "app/ui/wizard/adv1_page.h"
#include "app/ui/wizard/adv2_page.h"
#include "app/ui/wizard/adv3_page.h"
#include "app/ui/wizard/adv4_page.h"
#include "app/ui/wizard/advanced_wizard.h"
#include "app/ui/wizard/preview_panel.h"
#include "imaging/format_codes.h"
#include "platform/ini_file.h"
#include "tests/manager/child_process.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using wizard::Field;

std::string folder() { return tempRoot() + "/scanner/"; }

class WizardPages : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(folder() + "ScanSetting.ini",
              "[0]\r\nValid=1\r\nTitle=Text\r\nResolution=200\r\nWidth=2550\r\nHeight=3300\r\nAutomatic=0\r\n"
              "PaperSize=0\r\nGamma=220\r\nScanMode=0\r\n"
              "[1]\r\nValid=1\r\nTitle=Photo\r\nResolution=300\r\nScanMode=2\r\n");
    writeFile(folder() + "ApplicationSetting.ini",
              "[0]\r\nValid=1\r\nTitle=Storage\r\nImageFormatCheck=-1\r\nDefaultFormat=64\r\n"
              "[1]\r\nValid=1\r\nTitle=Print\r\nPath=PRINT\r\nImageFormatCheck=1\r\nDefaultFormat=1\r\n");
    writeFile(folder() + "ButtonSetting.ini",
              "[1]\r\nTitle=Scan\r\nScanSetting=Text\r\nApplicationSetting=Storage\r\nFileFormat=64\r\n"
              "ImageFolder=" + tempRoot() + "/Scans/\r\n");
    profiles.LoadScanSettings(folder() + "ScanSetting.ini");
    profiles.LoadApplicationSettings(folder() + "ApplicationSetting.ini");
    profiles.LoadButtonSettings(folder() + "ButtonSetting.ini", 9);
    scanner.hasFeeder = true;
    scanner.hasDuplex = false;
    scanner.maxWidth = 2550;
    scanner.maxLength = 4200;
  }

  CScanSetting& profile() { return *profiles.Button(1)->scanSetting; }
  std::string buttonFile() { return readFile(folder() + "ButtonSetting.ini"); }
  std::string scanFile() { return readFile(folder() + "ScanSetting.ini"); }

  // Types into a field and leaves it, as a user tabbing on would.
  static void typeAndLeave(QLineEdit* field, const QString& text) {
    field->setFocus();
    field->selectAll();
    field->clear();
    QTest::keyClicks(field, text);
    emit field->editingFinished();
  }

  ProfileStore profiles;
  ScannerConfig scanner;
  LocalizedText texts{tempRoot() + "/none.ini"};
  std::vector<std::string> messages;
  std::vector<std::string> askedNames;
  WizardContext context{profiles, scanner, texts, 1,
                        [this](QWidget*, const std::string& text) { messages.push_back(text); }, {}, {}};
};

TEST_F(WizardPages, UnitsConvertTheWidthBothWays) {
  CAdv2Dlg page(context);
  EXPECT_EQ(page.pageField(Field::Width)->text(), "8.50");
  page.units()->setCurrentIndex(2);
  EXPECT_EQ(page.pageField(Field::Width)->text(), "215.9");
  EXPECT_EQ(page.unitLabel(Field::Width)->text(), "mm");
  page.units()->setCurrentIndex(1);
  EXPECT_EQ(page.pageField(Field::Width)->text(), "1700");
  EXPECT_EQ(page.unitLabel(Field::Width)->text(), "Pixel");
}

TEST_F(WizardPages, PixelsStoredAtTheTypedResolution) {
  CAdv2Dlg page(context);
  page.units()->setCurrentIndex(1);
  typeAndLeave(page.resolutionField(), "150");
  EXPECT_EQ(page.resolutionSlider()->value(), 150);
  typeAndLeave(page.pageField(Field::Width), "1275");
  page.goNext();
  EXPECT_EQ(profile().width, 2550);
  EXPECT_EQ(profile().resolution, 150);
  EXPECT_EQ(profile().paperSizeUnit, 1);
}

TEST_F(WizardPages, EmptyResolutionNeverReachesAPixelDivision) {
  CAdv2Dlg page(context);
  page.units()->setCurrentIndex(1);
  page.resolutionField()->setFocus();
  page.resolutionField()->clear();
  QTest::keyClick(page.resolutionField(), Qt::Key_Backspace);
  typeAndLeave(page.pageField(Field::Width), "500");
  page.units()->setCurrentIndex(0);  // converts with the resolution field empty
  EXPECT_EQ(page.pageField(Field::Width)->text(), "5.00");
  page.goNext();
  EXPECT_EQ(profile().resolution, 100);
}

TEST_F(WizardPages, AutomaticThenCustomFillsTheScannerMaximum) {
  CAdv2Dlg page(context);
  page.paperSize()->setCurrentIndex(kPaperAutomatic);
  for (Field field : {Field::Width, Field::Height, Field::XOffset, Field::YOffset}) {
    EXPECT_EQ(page.pageField(field)->text(), "AUTO");
    EXPECT_FALSE(page.pageField(field)->isEnabled());
  }
  page.paperSize()->setCurrentIndex(kPaperCustom);
  EXPECT_EQ(page.pageField(Field::Width)->text(), "8.50");
  EXPECT_EQ(page.pageField(Field::Height)->text(), "14.00");
  EXPECT_TRUE(page.pageField(Field::Width)->isEnabled());
  typeAndLeave(page.pageField(Field::Width), "12");
  EXPECT_EQ(page.pageField(Field::Width)->text(), "8.50");
}

TEST_F(WizardPages, ToneFieldsGammaAndColorMatch) {
  CAdv2Dlg page(context);
  EXPECT_EQ(page.gamma()->text(), "2.20");
  EXPECT_FALSE(page.gamma()->isEnabled());
  typeAndLeave(page.brightness(), "150");
  EXPECT_EQ(page.brightness()->text(), "100");
  EXPECT_EQ(page.preview()->window()->values().brightness, 200);
  EXPECT_FALSE(page.colorMatch()->isEnabled());
  page.scanMode()->setCurrentIndex(3);
  EXPECT_EQ(page.preview()->window()->values().scanMode, 2);
  page.colorMatch()->setChecked(true);
  EXPECT_FALSE(page.brightness()->isEnabled());
  page.goNext();
  EXPECT_EQ(profile().gamma, 220);
  EXPECT_EQ(profile().brightness, 100);
  EXPECT_EQ(profile().colorMatch, 1);
  EXPECT_EQ(profile().scanMode, 3);
}

TEST_F(WizardPages, BackToFrontSideOnASimplexScanner) {
  profiles.Button(1)->scanSide = 2;
  CAdv2Dlg page(context);
  EXPECT_FALSE(page.bothSides()->isEnabled());
  page.goBack();
  EXPECT_EQ(profiles.Button(1)->scanSide, 0);
}

TEST_F(WizardPages, AddCancelledKeepsTheDestination) {
  int opened = 0;
  context.dialogs.destinationProperties = [&](QWidget*, const std::string& name) {
    ++opened;
    EXPECT_EQ(name, "");
    return std::optional<WizardDialogs::Destination>();
  };
  CAdv1Dlg page(context);
  EXPECT_EQ(page.destinations()->currentText(), "Storage");
  page.destinations()->setCurrentIndex(page.destinations()->count() - 1);
  emit page.destinations()->activated(page.destinations()->count() - 1);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(page.destinations()->currentText(), "Storage");
  EXPECT_EQ(profiles.Button(1)->applicationSetting->title, "Storage");
}

TEST_F(WizardPages, PrintingForcesBmpAndKeepsNoFolder) {
  CAdv1Dlg page(context);
  page.destinations()->setCurrentIndex(1);
  emit page.destinations()->activated(1);
  EXPECT_EQ(page.formats()->count(), 1);
  EXPECT_EQ(page.formats()->currentText(), "BMP");
  EXPECT_FALSE(page.formats()->isEnabled());
  EXPECT_FALSE(page.folder()->isEnabled());
  EXPECT_TRUE(page.folder()->text().isEmpty());
  page.goNext();
  EXPECT_EQ(profiles.Button(1)->fileFormat, format::kBmp);
  EXPECT_EQ(profiles.Button(1)->applicationSetting->path, "PRINT");
}

TEST_F(WizardPages, CloudBrowseKeepsTheChosenFolderIdentifier) {
  profiles.FindApplicationSetting("Storage")->path = "GOOGLE";
  int folderBrowsed = 0;
  context.dialogs.browseFolder = [&](QWidget*, const QString&, const std::string&) {
    ++folderBrowsed;
    return std::optional<std::string>();
  };
  context.dialogs.cloudBrowse = [](QWidget*, CButtonSetting&, const std::string&) {
    return WizardDialogs::CloudFolder{"Docs/Scans", "FolderID::42"};
  };
  CAdv1Dlg page(context);
  EXPECT_FALSE(page.createSubfolder()->isEnabled());
  page.browse()->click();
  EXPECT_EQ(folderBrowsed, 0);
  EXPECT_EQ(page.folder()->text(), "Docs/Scans");
  EXPECT_EQ(profiles.Button(1)->id, "FolderID::42");
  // Typing in the field afterwards drops the identifier.
  QTest::keyClicks(page.folder(), "x");
  EXPECT_EQ(profiles.Button(1)->id, "");
}

TEST_F(WizardPages, TabReachesTheButtonsAfterThePagesControls) {
  CAdv3Dlg page(context);
  page.show();
  // What Tab visits, from the name field on.
  std::vector<QWidget*> tabbed;
  for (QWidget* widget = page.nameField(); widget != &page; widget = widget->nextInFocusChain()) {
    if (widget->focusPolicy() & Qt::TabFocus) tabbed.push_back(widget);
  }
  ASSERT_GE(tabbed.size(), 4u);
  EXPECT_EQ(tabbed[0], page.nameField());
  EXPECT_EQ(tabbed[1], page.autoOrient());
  EXPECT_EQ(tabbed[tabbed.size() - 2], page.backButton());
  EXPECT_EQ(tabbed.back(), page.nextButton());
  EXPECT_EQ(QApplication::focusWidget() == nullptr || QApplication::focusWidget() == page.nameField(), true);
}

TEST_F(WizardPages, EveryPageKeepsTheTypedName) {
  CAdv2Dlg page(context);
  page.nameField()->setText("Renamed on the scan page");
  page.goNext();
  EXPECT_EQ(profiles.Button(1)->title, "Renamed on the scan page");
}

TEST_F(WizardPages, AnotherProfileLeavesAPdfsPropertiesAlone) {
  context.dialogs.jpegQuality = [](QWidget*, int) { return std::optional<int>(50); };
  profiles.Button(1)->fileFormatProperty = 3;
  CAdv1Dlg page(context);
  EXPECT_EQ(page.formats()->currentText(), "PDF");
  page.profiles()->setCurrentIndex(1);
  emit page.profiles()->activated(1);
  // Properties would set a PDF's kind to 0: it stays off for every format but JPG.
  EXPECT_FALSE(page.formatProperties()->isEnabled());
  EXPECT_EQ(profiles.Button(1)->fileFormatProperty, 3);
  EXPECT_EQ(profiles.Button(1)->scanSetting->title, "Photo");
}

TEST_F(WizardPages, FeedingOnASimplexScanner) {
  profile().autoText = 1;
  CAdv3Dlg page(context);
  EXPECT_FALSE(page.rotation(1, 0)->isEnabled());
  EXPECT_FALSE(page.stitch()->button(0)->isEnabled());
  page.autoOrient()->setChecked(false);
  EXPECT_TRUE(page.rotation(1, 2)->isEnabled());
  EXPECT_TRUE(page.rotation(0, 0)->isChecked());
  page.rotation(0, 2)->setChecked(true);
  page.batch()->button(1)->setChecked(true);
  page.imageCount()->setText("0");
  EXPECT_EQ(page.imageCount()->text(), "1");
  page.imageCount()->setText("-3");
  EXPECT_EQ(page.imageCount()->text(), "1");
  page.byLength()->setChecked(true);
  page.length()->setText("14");
  page.goNext();
  EXPECT_EQ(profile().rotationFront, 2);
  EXPECT_EQ(profile().batchMode, 1);
  EXPECT_EQ(profile().batchPageNum, 1);
  EXPECT_EQ(profile().lengthCheck, 4200);
}

TEST_F(WizardPages, UltrasonicKeepsAPositiveLength) {
  scanner.hasUltrasonic = true;
  profile().lengthCheck = 0;
  {
    CAdv3Dlg page(context);
    EXPECT_FALSE(page.byLength()->isEnabled());
    EXPECT_EQ(page.length()->text(), "0.0");
    page.ultrasonic()->setChecked(true);
    page.goNext();
  }
  EXPECT_EQ(profile().lengthCheck, 300);
  profile().lengthCheck = 450;
  CAdv3Dlg again(context);
  again.goNext();
  EXPECT_EQ(profile().lengthCheck, 450);
}

TEST_F(WizardPages, ColourModeLocksDropoutDespeckleAndPreview) {
  profile().scanMode = 2;
  CAdv4Dlg page(context);
  EXPECT_FALSE(page.dropout()->isEnabled());
  EXPECT_FALSE(page.despeckle()->isEnabled());
  EXPECT_FALSE(page.preview()->scanButton()->isEnabled());
}

TEST_F(WizardPages, DespeckleRangeFollowsTheSensitivity) {
  CAdv4Dlg page(context);
  page.despeckle()->setChecked(true);
  page.sensitivity()->setText("100");
  typeAndLeave(page.range(), "2");
  EXPECT_EQ(page.range()->text(), "5");
  typeAndLeave(page.sensitivity(), "4000");
  EXPECT_EQ(page.sensitivity()->text(), "3600");
  EXPECT_EQ(page.range()->text(), "30");
  page.sensitivity()->setText("0");
  typeAndLeave(page.range(), "0");
  EXPECT_EQ(page.range()->text(), "1");
}

TEST_F(WizardPages, FinishWritesCustomDropoutAndBackWritesNothing) {
  const std::string before = scanFile();
  {
    CAdv4Dlg page(context);
    page.dropout()->setChecked(true);
    page.dropoutList()->setCurrentIndex(4);
    EXPECT_TRUE(page.dropColour(0)->isEnabled());
    page.dropColour(0)->setText("200");
    page.dropColour(1)->setText("10");
    page.dropColour(2)->setText("10");
    page.goBack();
  }
  EXPECT_EQ(profile().dropout, 5);
  EXPECT_EQ(scanFile(), before);
  CAdv4Dlg page(context);
  EXPECT_EQ(page.dropoutList()->currentIndex(), 4);
  page.blank()->setChecked(true);
  page.goNext();
  const std::string path = folder() + "ScanSetting.ini";
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "Dropout", -1, path), 5);
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "DropRed", -1, path), 200);
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "DropGreen", -1, path), 10);
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "BlankPageRemove", -1, path), 1);
}

TEST_F(WizardPages, SaveTheProfileRefusesANameInUse) {
  context.dialogs.askProfileName = [](QWidget*) { return std::optional<std::string>("Photo"); };
  CAdv4Dlg page(context);
  const std::size_t count = profiles.ScanSettingList().size();
  page.saveProfile()->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "This setting has already exists.");
  EXPECT_EQ(profiles.ScanSettingList().size(), count);

  context.dialogs.askProfileName = [](QWidget*) { return std::optional<std::string>("Forms"); };
  profile().resolution = 400;  // an unsaved edit of an earlier page
  page.blank()->setChecked(true);
  page.saveProfile()->click();
  CScanSetting* added = profiles.FindScanSetting("Forms");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(profiles.Button(1)->scanSetting, added);
  EXPECT_EQ(added->resolution, 400);
  EXPECT_EQ(added->blankPageRemove, 1);
  // The profile it came from is back to its file.
  EXPECT_EQ(profiles.FindScanSetting("Text")->resolution, 200);
  EXPECT_NE(scanFile().find("Title=Forms"), std::string::npos);
}

// Drives the wizard: each step answers the page on screen.
void answerPages(std::vector<std::function<void(WizardPage&)>> steps) {
  auto remaining = std::make_shared<std::vector<std::function<void(WizardPage&)>>>(std::move(steps));
  // Each pending timer owns the poll; the poll itself holds only a weak
  // reference, so it is freed once the last step has run.
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [remaining, weak = std::weak_ptr(poll)] {
    auto* page = qobject_cast<WizardPage*>(QApplication::activeModalWidget());
    if (page && page->isVisible() && !remaining->empty()) {
      auto step = remaining->front();
      remaining->erase(remaining->begin());
      step(*page);
    }
    if (auto self = weak.lock(); self && !remaining->empty()) QTimer::singleShot(10, [self] { (*self)(); });
  };
  QTimer::singleShot(0, [poll] { (*poll)(); });
}

TEST_F(WizardPages, FinishIsTheOnlyStepThatWrites) {
  const std::string buttonsBefore = buttonFile(), scansBefore = scanFile();
  writeFile(wizard::previewFilePath(), "BM");
  AdvancedWizard wizard(context);
  std::vector<std::string> seen;
  auto next = [&](WizardPage& page) {
    seen.push_back(page.metaObject()->className());
    EXPECT_EQ(buttonFile(), buttonsBefore);
    EXPECT_EQ(scanFile(), scansBefore);
    QTest::keyClick(&page, Qt::Key_Return);
  };
  answerPages({
                          [&](WizardPage& page) {
                            page.nameField()->setText("Letters");
                            next(page);
                          },
                          [&](WizardPage& page) {
                            auto& scan = static_cast<CAdv2Dlg&>(page);
                            scan.resolutionField()->setText("300");
                            next(page);
                          },
                          [&](WizardPage& page) { QTest::keyClick(&page, Qt::Key_Escape); },  // back to 2
                          next, next,
                          [&](WizardPage& page) {
                            auto& processing = static_cast<CAdv4Dlg&>(page);
                            processing.blank()->setChecked(true);
                            next(page);
                          },
                      });
  EXPECT_EQ(wizard.run(nullptr), wizard::WizardEnd::Finished);
  EXPECT_EQ(seen, (std::vector<std::string>{"ostrel::CAdv1Dlg", "ostrel::CAdv2Dlg", "ostrel::CAdv2Dlg",
                                            "ostrel::CAdv3Dlg", "ostrel::CAdv4Dlg"}));
  const std::string buttons = folder() + "ButtonSetting.ini", scans = folder() + "ScanSetting.ini";
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Title", "", buttons), "Letters");
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "Resolution", -1, scans), 300);
  EXPECT_EQ(platform::GetPrivateProfileInt("0", "BlankPageRemove", -1, scans), 1);
  EXPECT_FALSE(std::filesystem::exists(wizard::previewFilePath()));
}

TEST_F(WizardPages, BackFromTheFirstPageAndTheCloseBoxWriteNothing) {
  const std::string buttonsBefore = buttonFile(), scansBefore = scanFile();
  {
    AdvancedWizard wizard(context);
    answerPages({[](WizardPage& page) {
                  page.nameField()->setText("Changed");
                  page.backButton()->click();
                }});
    EXPECT_EQ(wizard.run(nullptr), wizard::WizardEnd::BackToConfiguration);
  }
  {
    writeFile(wizard::previewFilePath(), "BM");
    AdvancedWizard wizard(context);
    answerPages({[](WizardPage& page) { page.nextButton()->click(); },
                         [](WizardPage& page) {
                           static_cast<CAdv2Dlg&>(page).resolutionField()->setText("600");
                           page.close();
                         }});
    EXPECT_EQ(wizard.run(nullptr), wizard::WizardEnd::Closed);
    EXPECT_FALSE(std::filesystem::exists(wizard::previewFilePath()));
  }
  EXPECT_NE(profile().resolution, 600);  // the closed page copied nothing
  EXPECT_EQ(buttonFile(), buttonsBefore);
  EXPECT_EQ(scanFile(), scansBefore);
}

TEST_F(WizardPages, ACloseRequestEndsTheWizardFromAnyPage) {
  AdvancedWizard wizard(context);
  answerPages({[](WizardPage& page) { page.nextButton()->click(); },
                       [&wizard](WizardPage&) { wizard.requestClose(); }});
  EXPECT_EQ(wizard.run(nullptr), wizard::WizardEnd::Closed);
}

TEST_F(WizardPages, TheConfigurationWindowRunsTheWizardAndForwardsItsClose) {
  ostrel::testing::NoCloudAccount cloud;
  ConfigContext configuration{profiles, {true, false, 2550, 4200}, "Tern", tempRoot(), texts, cloud, &scanner};
  const std::string buttonsBefore = buttonFile();
  {
    CConfigDlg window(nullptr, configuration, 1);
    window.findChild<QRadioButton*>(QStringLiteral("advanced"))->setChecked(true);
    std::vector<std::string> seen;
    answerPages({[&](WizardPage& page) {
                          seen.push_back(page.metaObject()->className());
                          page.nextButton()->click();
                        },
                        [&](WizardPage& page) {
                          seen.push_back(page.metaObject()->className());
                          window.requestClose();  // the manager is ending
                        }});
    QTimer::singleShot(0, &window, [&window] { window.findChild<QPushButton*>(QStringLiteral("next"))->click(); });
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(seen, (std::vector<std::string>{"ostrel::CAdv1Dlg", "ostrel::CAdv2Dlg"}));
    EXPECT_FALSE(configuration.closeAdvancedMode);
  }
  EXPECT_EQ(buttonFile(), buttonsBefore);
  {
    CConfigDlg window(nullptr, configuration, 1);
    window.findChild<QRadioButton*>(QStringLiteral("advanced"))->setChecked(true);
    auto finish = [](WizardPage& page) { QTest::keyClick(&page, Qt::Key_Return); };
    answerPages({finish, finish, finish, finish});
    QTimer::singleShot(0, &window, [&window] { window.findChild<QPushButton*>(QStringLiteral("next"))->click(); });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
  }
  EXPECT_NE(buttonFile(), buttonsBefore);
}

TEST_F(WizardPages, PreviewScanRefusedWhileTheScannerIsBusy) {
  scanner.busy = true;  // a press's session holds the scanner
  CAdv2Dlg page(context);
  page.preview()->scanButton()->click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("busy"), std::string::npos);
  EXPECT_FALSE(page.preview()->scanning());
  EXPECT_FALSE(std::filesystem::exists(wizard::previewFilePath()));
  EXPECT_TRUE(scanner.busy);  // still the press's
}

TEST_F(WizardPages, PreviewScanThroughTheRealSessionShowsThePage) {
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "add-virtual", "usb:04c5:1500", "Tern", "--generate", "2"}),
            0);
  ASSERT_EQ(scanner.FindDriver("usb:04c5:1500"), 1);
  ASSERT_EQ(scanner.QueryScannerAbilities(), 1);
  context.sourceManagerPath = binDir() + "/libostreldsm.so";
  CAdv2Dlg page(context);
  page.show();
  QSignalSpy finished(page.preview(), &PreviewPanel::scanFinished);
  QSignalSpy redrawn(page.preview()->window(), &CImageWnd::redrawn);
  page.preview()->scanButton()->click();
  EXPECT_TRUE(page.preview()->scanning());
  EXPECT_FALSE(page.preview()->scanButton()->isEnabled());
  ASSERT_TRUE(finished.wait(30000));
  EXPECT_TRUE(std::filesystem::exists(wizard::previewFilePath()));
  EXPECT_FALSE(scanner.busy);
  ASSERT_TRUE(QTest::qWaitFor([&] { return page.preview()->window()->hasImage(); }, 10000));
  const QImage before = page.preview()->window()->shownImage();
  // Brightness changes what the preview shows.
  redrawn.clear();
  typeAndLeave(page.brightness(), "80");
  ASSERT_TRUE(redrawn.wait(10000));
  EXPECT_NE(page.preview()->window()->shownImage(), before);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace ostrel
