#include "app/ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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

void placeBottomRight(QWidget& window, int slot) {
  const QRect area = workArea(window);
  if (area.isEmpty()) return;
  const QSize outer = window.size() + frameExtra(window);
  const int perRow = std::max(1, area.width() / std::max(1, outer.width()));
  const int column = std::max(0, slot) % perRow;
  const int row = std::max(0, slot) / perRow;
  window.move(area.right() + 1 - (column + 1) * outer.width(),
              std::max(area.top(), area.bottom() + 1 - (row + 1) * outer.height()));
}

}  // namespace ostrel
