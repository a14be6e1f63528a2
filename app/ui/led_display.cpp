#include "app/ui/led_display.h"

#include <QPainter>
#include <algorithm>

namespace ostrel {

CLED::CLED(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

void CLED::setText(const QString& text) {
  text_ = text;
  update();
}

void CLED::setBackgroundColor(const QColor& color) {
  background_ = color;
  update();
}

void CLED::setLitColor(const QColor& color) {
  lit_ = color;
  update();
}

void CLED::setShowUnlit(bool show) {
  showUnlit_ = show;
  update();
}

unsigned CLED::segmentMask(QChar c) {
  static constexpr unsigned kDigits[10] = {0xFC, 0x60, 0xDA, 0xF2, 0x66,
                                           0xB6, 0xBE, 0xE0, 0xFE, 0xF6};
  if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) return kDigits[c.unicode() - '0'];
  // Only the lower right of ':' has a segment line; 0x100 draws nothing.
  if (c == QLatin1Char(':')) return 0x120;
  return 0;
}

void CLED::paintEvent(QPaintEvent*) {
  if (thickness_ == 0) {
    thickness_ = std::max(1, static_cast<int>(height() * 0.07));
    length_ = std::max(1, static_cast<int>(height() * 0.35));
  }
  QPainter painter(this);
  painter.fillRect(rect(), background_);
  const int cellWidth = length_ + 4 * thickness_;
  for (int i = 0; i < text_.size(); ++i) {
    const int x = i * cellWidth;
    if (showUnlit_) drawSegments(painter, x, 0xFE, unlit_);
    drawSegments(painter, x, segmentMask(text_[i]), lit_);
  }
}

void CLED::drawSegments(QPainter& painter, int x, unsigned mask, const QColor& color) const {
  const int t = thickness_;
  const int l = length_;
  const int right = x + t + l + 4;
  struct Line {
    unsigned bit;
    QPoint from, to;
  };
  const Line lines[] = {
      {kTop, {x + 2 * t, t}, {x + l + 4, t}},
      {kUpperRight, {right, 2 * t}, {right, l + 2 * t}},
      {kLowerRight, {right, l + 4 * t}, {right, 2 * l + 3 * t}},
      {kBottom, {x + 2 * t, 2 * l + 4 * t}, {x + l + 4, 2 * l + 4 * t}},
      {kLowerLeft, {x + t, l + 4 * t}, {x + t, 2 * l + 3 * t}},
      {kUpperLeft, {x + t, 2 * t}, {x + t, l + 2 * t}},
      {kMiddle, {x + 2 * t, l + 3 * t}, {x + l + 4, l + 3 * t}},
  };
  painter.setPen(QPen(color, t, Qt::SolidLine, Qt::FlatCap));
  for (const Line& line : lines) {
    if (mask & line.bit) painter.drawLine(line.from, line.to);
  }
}

}  // namespace ostrel
