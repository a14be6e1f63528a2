#pragma once
// The manager's icon in the notification area, with its menu and balloons.
// Where no notification area is available yet (a session still starting, a
// desktop without one), adding the icon is retried every 30 seconds; a balloon
// is taken down again 2 seconds after it was shown.
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/core/localized_text.h"

namespace ostrel {

class NotificationIcon : public QObject {
  Q_OBJECT

 public:
  static constexpr int kRetryMilliseconds = 30000;
  static constexpr int kBalloonMilliseconds = 2000;

  // tip: the icon's tooltip, the scanner name.
  NotificationIcon(const QIcon& icon, const QString& tip, QObject* parent = nullptr);

  // Adds the icon; when that is not possible now, retries until it is.
  // Added or not, the "connected" balloon follows once the icon is there.
  void add(const QString& connectedText);
  void remove();
  bool isAdded() const { return tray_.isVisible(); }
  QString toolTip() const { return tray_.toolTip(); }
  QIcon icon() const { return tray_.icon(); }

  void showBalloon(const QString& text);
  // While a job runs, the icon and its tooltip show the pages scanned so far.
  void showProgress(int pages);
  void endProgress();
  // The balloon's text while it is up; empty when none is.
  const QString& balloonText() const { return balloonText_; }

 signals:
  void showPanelRequested();
  void configurationRequested();
  void aboutRequested();
  void exitRequested();

 private:
  bool tryAdd();
  void clearBalloon();
  void localizeMenu();

  LocalizedText text_ = programTexts();
  QIcon icon_;
  QString tip_;
  QSystemTrayIcon tray_;
  QMenu menu_;
  QAction* configuration_;
  QAction* about_;
  QAction* exit_;
  QTimer* retryTimer_;
  QTimer* balloonTimer_;
  QString connectedText_;
  QString balloonText_;
};

}  // namespace ostrel
