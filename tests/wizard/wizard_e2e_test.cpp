// The wizard as a new user runs it, then a real manager process: change the
// scan mode, resolution, rotation and blank page removal on the pages, Finish,
// and the next press of the button writes files that follow every setting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "app/settings/profile_store.h"
#include "app/settings/scanner_folder.h"
#include "app/ui/wizard/adv2_page.h"
#include "app/ui/wizard/adv3_page.h"
#include "app/ui/wizard/adv4_page.h"
#include "app/ui/wizard/advanced_wizard.h"
#include "imaging/format_codes.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "tests/manager/obx_processes.h"
#include "tests/writers/decoding.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

constexpr const char* kDevice = "usb:04c5:1300";
constexpr const char* kModel = "Tern";

void write(const std::string& file, const std::string& section, const std::vector<std::pair<std::string, std::string>>& keys) {
  for (const auto& [key, value] : keys) platform::WritePrivateProfileString(section, key, value, file);
}

TEST(WizardEndToEnd, TheNextPressFollowsTheWizardsSettings) {
  // Three sheets, the second blank.
  ASSERT_TRUE(addVirtualScanner(kDevice, kModel, {"--generate", "3", "--blank", "2"}));
  const std::string folder = scannerFolder(kModel);
  platform::createFolderTree(folder);
  const std::string out = tempRoot() + "/out";
  write(folder + "ScanSetting.ini", "0",
        {{"Valid", "1"}, {"Title", "Text"}, {"Resolution", "300"}, {"ScanMode", "0"}, {"Automatic", "0"},
         {"PaperSize", "4"}, {"Width", "2550"}, {"Height", "3300"}});
  write(folder + "ApplicationSetting.ini", "0", {{"Valid", "1"}, {"Title", "Storage"}, {"Path", ""}});
  write(folder + "ButtonSetting.ini", "1",
        {{"Title", "Letters"}, {"ScanSetting", "Text"}, {"ApplicationSetting", "Storage"}, {"ImageFolder", out + "/"},
         {"FileFormat", std::to_string(format::kMultiTiff)}, {"ImageName", "Scan<####>"}});

  {
    ProfileStore profiles;
    profiles.LoadScanSettings(folder + "ScanSetting.ini");
    profiles.LoadApplicationSettings(folder + "ApplicationSetting.ini");
    profiles.LoadButtonSettings(folder + "ButtonSetting.ini", 6);
    ScannerConfig scanner;
    ASSERT_EQ(scanner.FindDriver(kDevice), 1);
    ASSERT_EQ(scanner.QueryScannerAbilities(), 1);
    const LocalizedText texts(tempRoot() + "/none.ini");
    std::vector<std::string> messages;
    WizardContext context{profiles, scanner, texts, 1,
                          [&](QWidget*, const std::string& text) { messages.push_back(text); }, {}, {}};
    AdvancedWizard wizard(std::move(context));
    // Each page is answered from the keyboard where a user would use it.
    std::vector<std::function<void(QWidget*)>> steps{
        [](QWidget* page) { QTest::keyClick(page, Qt::Key_Return); },
        [](QWidget* page) {
          auto* scan = static_cast<CAdv2Dlg*>(page);
          scan->scanMode()->setCurrentIndex(1);
          scan->resolutionField()->setFocus();
          scan->resolutionField()->selectAll();
          QTest::keyClicks(scan->resolutionField(), "150");
          QTest::keyClick(scan->resolutionField(), Qt::Key_Return);
        },
        [](QWidget* page) {
          auto* feeding = static_cast<CAdv3Dlg*>(page);
          feeding->autoOrient()->setChecked(false);
          feeding->rotation(0, 2)->setChecked(true);
          QTest::keyClick(page, Qt::Key_Return);
        },
        [](QWidget* page) {
          static_cast<CAdv4Dlg*>(page)->blank()->setChecked(true);
          QTest::keyClick(page, Qt::Key_Return);
        }};
    auto poll = std::make_shared<std::function<void()>>();
    std::size_t done = 0;
    QWidget* last = nullptr;
    *poll = [&, weak = std::weak_ptr(poll)] {
      QWidget* page = QApplication::activeModalWidget();
      if (page && page != last && page->isVisible() && done < steps.size()) {
        last = page;
        steps[done++](page);
      }
      if (auto self = weak.lock(); self && done < steps.size()) QTimer::singleShot(20, [self] { (*self)(); });
    };
    QTimer::singleShot(0, [poll] { (*poll)(); });
    ASSERT_EQ(wizard.run(nullptr), wizard::WizardEnd::Finished);
    EXPECT_TRUE(messages.empty());
  }

  ChildProcess manager = startManager(kDevice, kModel);
  ASSERT_EQ(sendEvent(kDevice, buttonEvent(1)), 0);
  ASSERT_TRUE(eventually([&] { return logText().find("Button 1 finished its scan job") != std::string::npos; },
                         std::chrono::seconds(60)));
  const std::vector<std::string> files = folderEntries(out);
  ASSERT_EQ(files.size(), 1u);
  const std::vector<TiffPage> pages = readTiff(out + "/" + files[0]);
  ASSERT_EQ(pages.size(), 2u);  // the blank sheet is gone
  for (const TiffPage& page : pages) {
    EXPECT_FLOAT_EQ(page.xResolution, 150);
    EXPECT_EQ(page.bitsPerSample, 8);  // grey
    // Letter at 150 dpi turned a quarter: 11 inches across, 8.5 down.
    EXPECT_EQ(page.image.width, 1650);
    EXPECT_EQ(page.image.height, 1275);
  }
  EXPECT_EQ(sendEvent(kDevice, kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
}

}  // namespace
}  // namespace ostrel
