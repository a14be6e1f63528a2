#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/ui/about_dialog.h"
#include "app/ui/led_display.h"
#include "app/ui/manager_inbox.h"
#include "app/ui/more_pages_dialog.h"
#include "app/ui/notification_icon.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/png_button.h"
#include "app/ui/shade_button.h"
#include "app/ui/window_placement.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;

class Panel : public ::testing::Test {
 protected:
  Panel()
      : scanner(journal),
        profiles(journal),
        job(journal),
        session(journal, scanner),
        configuration(journal),
        cloud(journal),
        fax(journal) {
    profiles.configure(1, "MAIL", "eMail");
    profiles.configure(2, "PRINT", "Print");
    profiles.configure(3, "/opt/send/YouSendIt.exe", "Send");
  }

  COBXDlg& panel() {
    if (!panel_) {
      panel_ = std::make_unique<COBXDlg>(
          PanelParts{scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
    }
    return *panel_;
  }

  Journal journal;
  FakeScanner scanner;
  FakeProfiles profiles;
  FakeJob job;
  FakeSession session;
  InlineJobRunner jobs;
  RecordingUserInterface dialogs;
  HeldMessages messages{dialogs};
  FakeConfiguration configuration;
  FakeCloudAccount cloud;
  FakeFax fax;
  std::unique_ptr<COBXDlg> panel_;
};

TEST_F(Panel, RowsArrowsAndSizeFollowTheLayout) {
  COBXDlg& p = panel();
  EXPECT_EQ(p.size(), QSize(150, 250));
  EXPECT_EQ(p.windowTitle(), QStringLiteral("Heron"));
  EXPECT_EQ(p.upArrow()->geometry(), QRect(30, 205, 19, 16));
  EXPECT_EQ(p.downArrow()->geometry(), QRect(100, 205, 19, 16));
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(p.numberDisplay(i)->geometry(), QRect(0, 40 * i, 25, 40));
    EXPECT_EQ(p.titleButton(i)->geometry(), QRect(25, 40 * i, 120, 40));
    EXPECT_EQ(p.numberDisplay(i)->text(), QString::number(i + 1));
  }
  EXPECT_EQ(p.titleButton(5)->x(), 300);
  EXPECT_EQ(p.titleButton(0)->text(), QStringLiteral("eMail"));
  EXPECT_FALSE(p.titleButton(0)->icon().isNull());
  EXPECT_TRUE(p.titleButton(2)->toolTip().contains(QStringLiteral("YouSendIt makes sending")));
  EXPECT_TRUE(p.titleButton(1)->toolTip().isEmpty());
}

TEST_F(Panel, ArrowsScrollWithinTheNineButtons) {
  COBXDlg& p = panel();
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  for (int i = 0; i < 6; ++i) QTest::mouseClick(p.downArrow(), Qt::LeftButton);
  EXPECT_EQ(p.listLayout().offset(), 4);
  EXPECT_EQ(p.titleButton(4)->pos(), QPoint(25, 0));
  EXPECT_EQ(p.titleButton(8)->pos(), QPoint(25, 160));
  EXPECT_EQ(p.numberDisplay(3)->x(), 300);
  QTest::mouseClick(p.upArrow(), Qt::LeftButton);
  EXPECT_EQ(p.titleButton(3)->pos(), QPoint(25, 0));
}

TEST_F(Panel, ASixButtonScannerShowsSixButtons) {
  scanner.buttons = 6;
  COBXDlg& p = panel();
  EXPECT_FALSE(p.titleButton(5)->isHidden());
  for (int i = 6; i < 9; ++i) {
    EXPECT_TRUE(p.titleButton(i)->isHidden());
    EXPECT_TRUE(p.numberDisplay(i)->isHidden());
  }
  QTest::mouseClick(p.downArrow(), Qt::LeftButton);
  QTest::mouseClick(p.downArrow(), Qt::LeftButton);
  EXPECT_EQ(p.listLayout().offset(), 1);
}

TEST_F(Panel, ClickingATitlePressesItsButtonWithItsOwnSide) {
  scanner.side = 2;
  COBXDlg& p = panel();
  p.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  QTest::mouseClick(p.titleButton(1), Qt::LeftButton);
  EXPECT_THAT(journal, Contains("scan 2 side 0"));
  EXPECT_THAT(logMessages(), Contains("Button 2 is clicked."));
}

TEST_F(Panel, WhileAJobRunsTheIconAndItsTipShowTheScannedPages) {
  COBXDlg& p = panel();
  const qint64 idleIcon = p.notificationIcon().icon().cacheKey();
  QString tipDuringScan;
  qint64 iconDuringScan = 0;
  session.duringScan = [&] {
    tipDuringScan = p.notificationIcon().toolTip();
    iconDuringScan = p.notificationIcon().icon().cacheKey();
  };
  p.dispatcher().onButtonEvent(2, 1);
  EXPECT_EQ(tipDuringScan, QStringLiteral("Heron\nScanning: 0 page(s) so far"));
  EXPECT_NE(iconDuringScan, idleIcon);
  EXPECT_EQ(p.notificationIcon().toolTip(), QStringLiteral("Heron"));
  EXPECT_EQ(p.notificationIcon().icon().cacheKey(), idleIcon);
  p.showProgress(42);
  EXPECT_EQ(p.notificationIcon().toolTip(), QStringLiteral("Heron\nScanning: 42 page(s) so far"));
}

TEST_F(Panel, TheNoticeOfAJobOffersItsFolderFromThenOn) {
  COBXDlg& p = panel();
  NotificationIcon& icon = p.notificationIcon();
  EXPECT_FALSE(icon.openFolderAction()->isVisible());
  QSignalSpy opened(&icon, &NotificationIcon::openFolderRequested);
  p.showNotice("Saved: Scan0000.pdf\n/home/u/Scans", "/home/u/Scans");
  EXPECT_EQ(icon.balloonText(), QStringLiteral("Saved: Scan0000.pdf\n/home/u/Scans"));
  ASSERT_TRUE(icon.openFolderAction()->isVisible());
  EXPECT_EQ(icon.openFolderAction()->text(), QStringLiteral("Open Scan Folder"));
  p.showBalloon("Scan Images with Button 1");
  icon.openFolderAction()->trigger();
  ASSERT_EQ(opened.count(), 1);
  EXPECT_EQ(opened.at(0).at(0).toString(), QStringLiteral("/home/u/Scans"));
}

TEST_F(Panel, AJobsMessageIsABoxThatHoldsNothingUp) {
  COBXDlg& p = panel();
  p.showMessage("No device found", MessageKind::Information);
  auto* box = p.findChild<QMessageBox*>(QStringLiteral("jobMessage"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_FALSE(box->isModal());
  EXPECT_EQ(box->text(), QStringLiteral("No device found"));
  // The next press goes on while it shows.
  p.dispatcher().onButtonEvent(2, 1);
  EXPECT_EQ(journal.back(), "FinishOutput");
  box->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return p.findChild<QMessageBox*>(QStringLiteral("jobMessage")) == nullptr; }));
}

TEST_F(Panel, EscapeHidesThePanelAndEnterDoesNothing) {
  COBXDlg& p = panel();
  p.showPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  QTest::keyClick(&p, Qt::Key_Return);
  EXPECT_TRUE(p.isVisible());
  QTest::keyClick(&p, Qt::Key_Escape);
  EXPECT_FALSE(p.isVisible());
  p.showPanel();
  p.close();
  EXPECT_FALSE(p.isVisible());
}

TEST_F(Panel, IsAToolWindowWithTheScannersNameAndACloseBoxOnly) {
  COBXDlg& p = panel();
  const Qt::WindowFlags flags = p.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  // Without the customize hint the window manager adds every button it likes.
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
  p.showPanel();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&p));
  EXPECT_EQ(p.size(), QSize(150, 250));
  EXPECT_EQ(p.windowHandle()->title(), QStringLiteral("Heron"));
}

TEST_F(Panel, ClickingElsewhereHidesItButItsOwnPromptDoesNot) {
  COBXDlg& p = panel();
  p.showPanel();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
  // A prompt of this program, as a scan started from the panel shows.
  QDialog prompt;
  prompt.setWindowModality(Qt::ApplicationModal);
  prompt.show();
  prompt.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&prompt));
  EXPECT_TRUE(p.isVisible());
  prompt.hide();

  p.showPanel();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
  QWidget elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
  EXPECT_FALSE(p.isVisible());
  // The icon brings it back.
  p.showPanel();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&p));
}

TEST_F(Panel, TheSecondScannersPanelStandsBesideTheFirst) {
  auto heronManager = platform::ManagerListener::listen("Heron");
  // Apart by more than a clock tick, so their start times tell them apart.
  QTest::qWait(30);
  auto egretManager = platform::ManagerListener::listen("Egret");
  FakeScanner egretScanner(journal);
  egretScanner.name = "Egret";
  COBXDlg egret(PanelParts{egretScanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
  COBXDlg& heron = panel();
  // Where each goes when the user brings it up.
  const auto placed = [](COBXDlg& p) {
    p.showPanel();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&p));
    const QRect frame = p.frameGeometry();
    p.hide();
    return frame;
  };
  const QRect egretFrame = placed(egret);
  const QRect heronFrame = placed(heron);
  const QRect area = heron.screen()->availableGeometry();
  EXPECT_EQ(heronFrame.bottomRight(), area.bottomRight());
  EXPECT_EQ(egretFrame.right() + 1, heronFrame.left());
  EXPECT_EQ(egretFrame.bottom(), area.bottom());
}

TEST(WindowPlacement, SlotsPastTheLeftEdgeGoOnInARowAbove) {
  QWidget window;
  window.setFixedSize(150, 250);
  const QRect area = window.screen()->availableGeometry();
  const int perRow = area.width() / 150;
  placeBottomRight(window, perRow + 1);
  EXPECT_EQ(window.frameGeometry().right(), area.right() - 150);
  EXPECT_EQ(window.frameGeometry().bottom(), area.bottom() - 250);
}

TEST_F(Panel, WithoutANotificationAreaTheIconIsRetriedEveryThirtySeconds) {
  COBXDlg& p = panel();
  p.startManaging(0);
  EXPECT_FALSE(p.notificationIcon().isAdded());
  auto* retry = p.notificationIcon().findChild<QTimer*>(QStringLiteral("trayRetryTimer"));
  ASSERT_NE(retry, nullptr);
  EXPECT_TRUE(retry->isActive());
  EXPECT_EQ(retry->interval(), 30000);
  p.dispatcher().exit();
  EXPECT_FALSE(retry->isActive());
}

TEST_F(Panel, ABalloonIsTakenDownAfterTwoSeconds) {
  COBXDlg& p = panel();
  p.showBalloon("Scan Images with Button 1");
  EXPECT_EQ(p.notificationIcon().balloonText(), QStringLiteral("Scan Images with Button 1"));
  p.showBalloon(std::string(300, 'x'));
  EXPECT_EQ(p.notificationIcon().balloonText().size(), 255);
  EXPECT_TRUE(QTest::qWaitFor([&] { return p.notificationIcon().balloonText().isEmpty(); }, 5000));
}

TEST_F(Panel, WhatStartUpFoundIsShownInTheBalloonOnceThePanelRuns) {
  profiles.notices = {"These settings files were damaged and have been restored: ButtonSetting.ini."};
  COBXDlg& p = panel();
  p.startManaging(0);
  EXPECT_EQ(p.notificationIcon().balloonText(),
            QStringLiteral("These settings files were damaged and have been restored: ButtonSetting.ini."));
  EXPECT_TRUE(profiles.notices.empty());
}

TEST_F(Panel, APendingEventIsHandledOnceTheLoopRuns) {
  scanner.side = 0;
  COBXDlg& p = panel();
  p.startManaging(12);
  EXPECT_TRUE(journal.empty());
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return !journal.empty() && journal.back() == "FinishOutput"; }, 2000));
  EXPECT_THAT(journal, Contains("scan 2 side 2"));
}

TEST_F(Panel, ExitEndsTheRun) {
  COBXDlg& p = panel();
  QSignalSpy ended(&p, &COBXDlg::runEnded);
  p.showPanel();
  p.dispatcher().exit();
  EXPECT_EQ(ended.count(), 1);
  EXPECT_FALSE(p.isVisible());
}

TEST(ManagerInbox, PostedRecordsArriveAndJunkIsLogged) {
  auto listener = platform::ManagerListener::listen("Heron");
  ASSERT_EQ(listener.state(), platform::ManagerListener::State::Listening) << listener.error();
  ManagerInbox inbox(std::move(listener));
  std::vector<platform::ManagerRecord> received;
  QObject::connect(&inbox, &ManagerInbox::received,
                   [&](const platform::ManagerRecord& record) { received.push_back(record); });
  const int junk = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = platform::managerSocketPath("Heron");
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(::connect(junk, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::send(junk, "x", 1, 0), 1);
  ::close(junk);
  ASSERT_EQ(platform::postToManager("Heron", {0x0419, 4, 2}), platform::PostResult::Delivered);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }, 5000));
  EXPECT_EQ(received, (std::vector<platform::ManagerRecord>{{0x0419, 4, 2}}));
  EXPECT_THAT(logMessages(), Contains("Ostrel ignored a message it does not know: 1 datagram(s) "
                                      "of the wrong size."));
}

TEST(MorePagesPrompt, OkFinishAndAPressWhileItShows) {
  QtMorePagesPrompt prompt;
  const auto clickLater = [](const char* name) {
    QTimer::singleShot(50, [name] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<CMorePageDlg*>(w); dialog && dialog->isVisible()) {
          dialog->findChild<QPushButton*>(QString::fromLatin1(name))->click();
        }
      }
    });
  };
  clickLater("ok");
  EXPECT_TRUE(prompt.ask());
  clickLater("finish");
  EXPECT_FALSE(prompt.ask());
  QTimer::singleShot(50, [&prompt] { prompt.accept(); });
  EXPECT_TRUE(prompt.ask());
  prompt.accept();  // nothing open: nothing happens
}

TEST(Dialogs, TextsDefaultToEnglish) {
  CMorePageDlg more;
  EXPECT_EQ(more.windowTitle(), QStringLiteral("Ostrel"));
  QStringList labels;
  for (const QLabel* label : more.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains(QStringLiteral("Scan more pages?")));
  EXPECT_EQ(more.findChild<QPushButton*>(QStringLiteral("finish"))->text(),
            QStringLiteral("Finish"));

  CAboutDlg about;
  EXPECT_EQ(about.windowTitle(), QStringLiteral("About Ostrel"));
  EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("version"))->text(),
            QStringLiteral("Ostrel Ver 2.1.8"));
}

}  // namespace
}  // namespace ostrel
