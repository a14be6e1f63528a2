#include "app/ui/obx_dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/core/command_line.h"
#include "app/core/localized_text.h"
#include "app/ui/artwork.h"
#include "app/ui/destination_icon.h"
#include "app/ui/led_display.h"
#include "app/core/button_appearance.h"
#include "app/ui/notification_icon.h"
#include "app/ui/png_button.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/shade_button.h"
#include "app/ui/window_placement.h"
#include "platform/manager_channel.h"

namespace ostrel {

namespace {

constexpr int kLedWidth = 25;
constexpr int kTitleWidth = 120;
constexpr int kIconSize = 26;
constexpr int kStripHeight = 50;
const QPoint kUpArrowAt(30, 205);
const QPoint kDownArrowAt(100, 205);

QString fromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Long tips wrap at 300 pixels.
QString tipText(const std::string& tip) {
  if (tip.empty()) return {};
  return QStringLiteral("<table width=\"300\"><tr><td>%1</td></tr></table>")
      .arg(QString::fromStdString(tip).toHtmlEscaped());
}

}  // namespace

COBXDlg::COBXDlg(PanelParts parts, QWidget* parent)
    : QDialog(parent),
      parts_(parts),
      morePages_(parts.jobs.stopToken()),
      dispatcher_({parts.scanner, parts.profiles, parts.job, parts.session, parts.jobs, parts.messages,
                   parts.configuration, parts.cloudAccount, about_, morePages_, parts.fax, *this}),
      layout_(std::min(parts.scanner.buttonCount(), kMaxButtons)),
      strip_(artwork::panelStrip(palette().color(QPalette::Button))) {
  const QIcon programIcon = artwork::programIcon();
  setWindowIcon(programIcon);
  // A small title bar with the close box alone leaves the 150 pixels to the
  // scanner's name; minimising or maximising a fixed-size pop-up means nothing.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(kWidth, kHeight);
  setAttribute(Qt::WA_AlwaysShowToolTips);

  down_ = new CPngButton(artwork::downArrow(), this);
  down_->move(kDownArrowAt);
  up_ = new CPngButton(artwork::upArrow(), this);
  up_->move(kUpArrowAt);
  connect(down_, &QAbstractButton::clicked, this, [this] {
    if (layout_.scrollDown()) layoutRows();
  });
  connect(up_, &QAbstractButton::clicked, this, [this] {
    if (layout_.scrollUp()) layoutRows();
  });

  for (int i = 0; i < kMaxButtons; ++i) {
    leds_[i] = new CLED(this);
    leds_[i]->resize(kLedWidth, PanelLayout::kRowHeight);
    leds_[i]->setText(QString::number(i + 1));
    titles_[i] = new CxShadeButton(this);
    titles_[i]->resize(kTitleWidth, PanelLayout::kRowHeight);
    titles_[i]->setIconSize(QSize(kIconSize, kIconSize));
    connect(titles_[i], &QAbstractButton::clicked, this,
            [this, i] { dispatcher_.onTitleClicked(i + 1); });
    const bool present = i < layout_.buttonCount();
    leds_[i]->setVisible(present);
    titles_[i]->setVisible(present);
  }
  refreshButtons();
  layoutRows();

  const QString scannerName = QString::fromStdString(parts.scanner.scannerName());
  setWindowTitle(scannerName);
  icon_ = new NotificationIcon(programIcon, scannerName, this);
  connect(icon_, &NotificationIcon::showPanelRequested, this, &COBXDlg::showPanel);
  connect(icon_, &NotificationIcon::configurationRequested, this,
          [this] { dispatcher_.openConfiguration(0); });
  connect(icon_, &NotificationIcon::aboutRequested, this, [this] { dispatcher_.showAbout(); });
  connect(icon_, &NotificationIcon::exitRequested, this, [this] { dispatcher_.exit(); });
  // The desktop's file manager, as xdg-open picks it.
  connect(icon_, &NotificationIcon::openFolderRequested, this,
          [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
}

COBXDlg::~COBXDlg() = default;

void COBXDlg::startManaging(int pendingEventCode) {
  const std::string connected = "Norvane " + parts_.scanner.scannerName() + " " +
                                programTexts()("Else", "Message13", "connected.");
  icon_->add(QString::fromStdString(connected));
  parts_.profiles.showPendingNotices(*this);
  if (pendingEventCode != 0) {
    QTimer::singleShot(0, this, [this, pendingEventCode] {
      dispatcher_.onButtonEvent(eventButton(pendingEventCode), eventKind(pendingEventCode));
    });
  }
}

void COBXDlg::layoutRows() {
  for (int i = 0; i < layout_.buttonCount(); ++i) {
    const int row = layout_.rowOf(i);
    const int y = row < 0 ? 0 : row * PanelLayout::kRowHeight;
    leds_[i]->move(row < 0 ? PanelLayout::kHiddenX : 0, y);
    titles_[i]->move(row < 0 ? PanelLayout::kHiddenX : kLedWidth, y);
  }
}

void COBXDlg::refreshButtons() {
  for (int i = 0; i < kMaxButtons; ++i) {
    const CButtonSetting* button = parts_.profiles.button(i + 1);
    titles_[i]->setText(button ? QString::fromStdString(button->title) : QString());
    titles_[i]->setIcon(destinationIconOf(button, kIconSize));
    titles_[i]->setToolTipTexts(button ? tipText(buttonTooltip(*button)) : QString());
  }
}

void COBXDlg::showBalloon(std::string_view text) {
  icon_->showBalloon(fromView(text));
}

void COBXDlg::showProgress(int pages) { icon_->showProgress(pages); }

void COBXDlg::endProgress() { icon_->endProgress(); }

void COBXDlg::showNotice(std::string_view text, const std::string& folder) {
  icon_->showNotice(fromView(text), QString::fromStdString(folder));
}

void COBXDlg::showMessage(std::string_view text, MessageKind kind) {
  // Not modal: the panel, its icon and the next press go on while it shows.
  QMessageBox* box = newMessageBox(text, kind, this);
  box->setObjectName(QStringLiteral("jobMessage"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
  // Its parent, the panel, is mostly hidden: the box goes where it is seen.
  centerOnDesktop(*box);
}

void COBXDlg::removeNotificationIcon() { icon_->remove(); }

void COBXDlg::endRun() {
  hide();
  emit runEnded();
}

void COBXDlg::showPanel() {
  show();
  raise();
  activateWindow();
}

// Enter does nothing; the panel has no action of its own to confirm.
void COBXDlg::accept() {}

void COBXDlg::reject() { hide(); }

void COBXDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  placeBottomRight(*this, platform::managerRank(parts_.scanner.scannerName()));
}

void COBXDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Another window took the focus. A dialog this program opened on top (a
  // prompt during a scan started here) is not elsewhere: the panel stays.
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
      !QApplication::activeModalWidget()) {
    hide();
  }
}

void COBXDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Window));
  painter.drawImage(QPoint(0, height() - kStripHeight), strip_);
}

}  // namespace ostrel
