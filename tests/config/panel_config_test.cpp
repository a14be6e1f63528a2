// The configuration as the manager's panel runs it: opened for a button without
// a destination, and the panel's titles show the new name once it closes.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "app/core/held_messages.h"
#include "app/core/stored_profiles.h"
#include "app/scan/scanner_config.h"
#include "app/ui/config/config_dialog_window.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/shade_button.h"
#include "tests/config/config_fixture.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

TEST(PanelConfiguration, ButtonWithoutDestinationOpensItAndThePanelShowsTheNewNameAtOnce) {
  writeProfiles(4);
  StoredProfiles profiles(tempRoot() + "/bin");
  profiles.createOrLoad(scannerFolder(), 4);
  Journal journal;
  FakeScanner scanner(journal);
  scanner.buttons = 4;
  FakeJob job(journal);
  FakeSession session(journal, scanner);
  InlineJobRunner jobs;
  RecordingUserInterface dialogs;
  HeldMessages messages(dialogs);
  FakeCloudAccount cloud(journal);
  FakeFax fax(journal);
  ScannerConfig config;
  config.hasFeeder = true;
  QtConfigurationWindow configuration(profiles.store(), config, tempRoot() + "/bin", cloud);
  COBXDlg panel({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});

  int presetSeen = 0;
  whenModalOpens([&](QWidget* window) {
    auto* configWindow = qobject_cast<CConfigDlg*>(window);
    ASSERT_NE(configWindow, nullptr);
    presetSeen = configWindow->selectedButton();
    whenModalOpens([](QWidget* easy) {
      easy->findChild<QLineEdit*>("title")->setText("Invoices");
      QTest::keyClick(easy, Qt::Key_Return);  // Finish
    }, window);
    QTest::keyClick(window, Qt::Key_Return);  // Next
  });
  panel.dispatcher().onButtonEvent(2, 1);  // button 2 has no destination
  EXPECT_EQ(presetSeen, 2);
  EXPECT_EQ(panel.titleButton(1)->text(), "Invoices");
  EXPECT_EQ(iniValue(buttonFile(), "2", "Title"), "Invoices");
}

}  // namespace
}  // namespace ostrel
