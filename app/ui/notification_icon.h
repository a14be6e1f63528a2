#pragma once
// The manager's icon in the notification area, with its menu and balloons.
// Where no notification area is available yet (a session still starting, a
// desktop without one), adding the icon is retried every 30 seconds; a balloon
// is taken down again 2 seconds after it was shown. The notice at the end of a
// job stays 10 seconds; clicking it, or the menu's "Open Scan Folder" from then
// on, opens the folder of the job's files.
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
  static constexpr int kNoticeMilliseconds = 10000;

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
  // A job has ended; folder, when not empty, is where its files are.
  void showNotice(const QString& text, const QString& folder);
  QAction* openFolderAction() const { return openFolder_; }
  // The balloon's text while it is up; empty when none is.
  const QString& balloonText() const { return balloonText_; }

 signals:
  void showPanelRequested();
  void configurationRequested();
  void aboutRequested();
  void exitRequested();
  void openFolderRequested(const QString& folder);

 private:
  bool tryAdd();
  void showMessage(const QString& text, int milliseconds);
  void clearBalloon();
  void localizeMenu();

  LocalizedText text_ = programTexts();
  QIcon icon_;
  QString tip_;
  QSystemTrayIcon tray_;
  QMenu menu_;
  QAction* openFolder_;
  QAction* configuration_;
  QAction* about_;
  QAction* exit_;
  QTimer* retryTimer_;
  QTimer* balloonTimer_;
  QString connectedText_;
  QString balloonText_;
  QString noticeFolder_;  // what a click on the message shown opens; empty for a plain balloon
};

}  // namespace ostrel
