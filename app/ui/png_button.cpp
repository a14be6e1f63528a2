#include "app/ui/png_button.h"

#include <QPainter>

namespace ostrel {

QImage premultipliedByAlpha(const QImage& straight) {
  // Qt's own conversion rounds; the stored image must truncate.
  QImage image = straight.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = line[x];
      const int a = qAlpha(p);
      line[x] = qRgba(qRed(p) * a / 255, qGreen(p) * a / 255, qBlue(p) * a / 255, a);
    }
  }
  return image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied) ? image : QImage();
}

CPngButton::CPngButton(const QImage& image, QWidget* parent)
    : QAbstractButton(parent), image_(premultipliedByAlpha(image)) {
  setFocusPolicy(Qt::TabFocus);
  resize(image_.size());
}

void CPngButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  // A press nudges the picture, as pushed buttons do.
  p.drawImage(isDown() ? QPoint(1, 1) : QPoint(0, 0), image_);
}

}  // namespace ostrel
