#pragma once
// COBXDlg: the manager's panel, a small tool window in the bottom-right corner
// of the desktop that lists the scanner's buttons, and the notification icon
// that brings it up. It stays hidden until the icon is clicked; Cancel, Escape,
// the close box and a click elsewhere hide it again, as they do a pop-up of the
// notification area. The panels of scanners whose managers run side by side
// stand side by side, in the order the managers started. It turns clicks, menu
// commands and the dispatch's requests into calls of the ButtonDispatcher and
// back.
#include <QDialog>
#include <QImage>
#include <array>

#include "app/core/button_dispatcher.h"
#include "app/core/panel_layout.h"
#include "app/ui/about_dialog.h"
#include "app/ui/more_pages_dialog.h"

namespace ostrel {

class CLED;
class CPngButton;
class CxShadeButton;
class NotificationIcon;

struct PanelParts {
  ScannerDriver& scanner;
  ButtonProfiles& profiles;
  ScanJob& job;
  ScanSession& session;
  JobRunner& jobs;
  HeldMessages& messages;
  ConfigurationWindow& configuration;
  CloudAccountDialog& cloudAccount;
  FaxService& fax;
};

class COBXDlg : public QDialog, public PanelView {
  Q_OBJECT

 public:
  static constexpr int kMaxButtons = 9;
  static constexpr int kWidth = 150;
  static constexpr int kHeight = 250;

  explicit COBXDlg(PanelParts parts, QWidget* parent = nullptr);
  ~COBXDlg() override;

  // Adds the notification icon with its "connected" balloon, then shows what
  // start-up left for the user, and, when the start-up left an event code, acts
  // on it once the event loop runs.
  void startManaging(int pendingEventCode);

  ButtonDispatcher& dispatcher() { return dispatcher_; }
  NotificationIcon& notificationIcon() { return *icon_; }
  const PanelLayout& listLayout() const { return layout_; }
  CxShadeButton* titleButton(int index) const { return titles_[index]; }
  CLED* numberDisplay(int index) const { return leds_[index]; }
  CPngButton* upArrow() const { return up_; }
  CPngButton* downArrow() const { return down_; }

  void showBalloon(std::string_view text) override;
  void showProgress(int pages) override;
  void endProgress() override;
  void showMessage(std::string_view text, MessageKind kind) override;
  void showNotice(std::string_view text, const std::string& folder) override;
  void refreshButtons() override;
  void removeNotificationIcon() override;
  void endRun() override;

 public slots:
  void showPanel();

 signals:
  // The manager's run is over; the start-up finishes.
  void runEnded();

 protected:
  void accept() override;
  void reject() override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void layoutRows();

  PanelParts parts_;
  QtAboutBox about_;
  QtMorePagesPrompt morePages_;
  ButtonDispatcher dispatcher_;
  PanelLayout layout_;
  std::array<CLED*, kMaxButtons> leds_{};
  std::array<CxShadeButton*, kMaxButtons> titles_{};
  CPngButton* up_ = nullptr;
  CPngButton* down_ = nullptr;
  NotificationIcon* icon_ = nullptr;
  QImage strip_;
};

}  // namespace ostrel
