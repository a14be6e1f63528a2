#include "app/ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ostrel {

namespace {

QRect workArea(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

// The frame's thickness is known only once the window manager has framed the
// window; before that it counts as none.
QSize frameExtra(const QWidget& window) {
  return window.frameGeometry().size() - window.geometry().size();
}

}  // namespace

void centerOnDesktop(QWidget& window) {
  const QRect area = workArea(window);
  if (area.isEmpty()) return;
  const QSize outer = window.size() + frameExtra(window);
  window.move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void placeBottomRight(QWidget& window) {
  const QRect area = workArea(window);
  if (area.isEmpty()) return;
  const QSize outer = window.size() + frameExtra(window);
  window.move(area.right() + 1 - outer.width(), area.bottom() + 1 - outer.height());
}

}  // namespace ostrel
