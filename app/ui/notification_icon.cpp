#include "app/ui/notification_icon.h"

#include "app/core/localized_text.h"
#include "app/ui/artwork.h"

namespace ostrel {

namespace {

constexpr int kBalloonMaxChars = 255;

}  // namespace

NotificationIcon::NotificationIcon(const QIcon& icon, const QString& tip, QObject* parent)
    : QObject(parent),
      icon_(icon),
      tip_(tip),
      tray_(icon),
      openFolder_(menu_.addAction(QStringLiteral("Open Scan Folder"))),
      configuration_(menu_.addAction(QStringLiteral("Configuration"))),
      about_(menu_.addAction(QStringLiteral("About"))),
      exit_(nullptr),
      retryTimer_(new QTimer(this)),
      balloonTimer_(new QTimer(this)) {
  // Shown once a job has saved files somewhere.
  openFolder_->setVisible(false);
  menu_.addSeparator();
  exit_ = menu_.addAction(QStringLiteral("Exit"));
  tray_.setToolTip(tip);
  tray_.setContextMenu(&menu_);
  // The texts are looked up each time the menu opens, so a new translation file
  // shows without a restart.
  connect(&menu_, &QMenu::aboutToShow, this, &NotificationIcon::localizeMenu);
  connect(configuration_, &QAction::triggered, this, &NotificationIcon::configurationRequested);
  connect(about_, &QAction::triggered, this, &NotificationIcon::aboutRequested);
  connect(exit_, &QAction::triggered, this, &NotificationIcon::exitRequested);
  connect(openFolder_, &QAction::triggered, this,
          [this] { emit openFolderRequested(openFolder_->data().toString()); });
  connect(&tray_, &QSystemTrayIcon::messageClicked, this, [this] {
    if (!noticeFolder_.isEmpty()) emit openFolderRequested(noticeFolder_);
  });
  connect(&tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::Trigger) emit showPanelRequested();
  });

  retryTimer_->setObjectName(QStringLiteral("trayRetryTimer"));
  retryTimer_->setInterval(kRetryMilliseconds);
  connect(retryTimer_, &QTimer::timeout, this, [this] {
    if (tryAdd()) retryTimer_->stop();
  });
  balloonTimer_->setObjectName(QStringLiteral("balloonTimer"));
  balloonTimer_->setSingleShot(true);
  balloonTimer_->setInterval(kBalloonMilliseconds);
  connect(balloonTimer_, &QTimer::timeout, this, &NotificationIcon::clearBalloon);
  localizeMenu();
}

void NotificationIcon::localizeMenu() {
  configuration_->setText(QString::fromStdString(text_("Menu", "Menu1", "Configuration")));
  about_->setText(QString::fromStdString(text_("Menu", "Menu2", "About")));
  exit_->setText(QString::fromStdString(text_("Menu", "Menu3", "Exit")));
  openFolder_->setText(QString::fromStdString(text_("Menu", "OpenFolder", "Open Scan Folder")));
}

void NotificationIcon::add(const QString& connectedText) {
  connectedText_ = connectedText;
  if (!tryAdd()) retryTimer_->start();
}

bool NotificationIcon::tryAdd() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  tray_.show();
  showBalloon(connectedText_);
  return true;
}

void NotificationIcon::remove() {
  retryTimer_->stop();
  balloonTimer_->stop();
  tray_.hide();
}

void NotificationIcon::showBalloon(const QString& text) {
  noticeFolder_.clear();
  showMessage(text, kBalloonMilliseconds);
}

void NotificationIcon::showNotice(const QString& text, const QString& folder) {
  noticeFolder_ = folder;
  if (!folder.isEmpty()) {
    openFolder_->setData(folder);
    openFolder_->setVisible(true);
  }
  showMessage(text, kNoticeMilliseconds);
}

void NotificationIcon::showMessage(const QString& text, int milliseconds) {
  balloonTimer_->stop();
  balloonText_ = text.left(kBalloonMaxChars);
  if (tray_.isVisible()) {
    // The balloon's own time-out takes it down: an empty message sent later
    // would show as an empty notification, never expiring, on desktops that
    // show balloons as notifications.
    tray_.showMessage(QStringLiteral("Ostrel"), balloonText_, QSystemTrayIcon::Information, milliseconds);
  }
  balloonTimer_->start(milliseconds);
}

void NotificationIcon::clearBalloon() { balloonText_.clear(); }

void NotificationIcon::showProgress(int pages) {
  tray_.setIcon(artwork::progressIcon(pages));
  tray_.setToolTip(tip_ + QLatin1Char('\n') +
                   QString::fromStdString(
                       formatWithNumber(text_("Else", "Scanning", "Scanning: %d page(s) so far"), pages)));
}

void NotificationIcon::endProgress() {
  tray_.setIcon(icon_);
  tray_.setToolTip(tip_);
}

}  // namespace ostrel
