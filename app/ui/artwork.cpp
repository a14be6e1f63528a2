#include "app/ui/artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

namespace ostrel::artwork {

namespace {

// Every picture is drawn on a 100 x 100 canvas and scaled to the size asked for.
constexpr qreal kCanvas = 100.0;

const QColor kSlate(0x33, 0x42, 0x52);
const QColor kSlateDark(0x1c, 0x25, 0x30);
const QColor kCyan(10, 230, 255);
const QColor kPaper(0xfb, 0xfc, 0xfd);
const QColor kPaperEdge(0x9a, 0xa6, 0xb2);
const QColor kInk(0xa9, 0xb4, 0xc0);

QImage blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

void beginCanvas(QPainter& p, int size) {
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kCanvas, size / kCanvas);
}

QLinearGradient vertical(qreal top, qreal bottom, const QColor& from, const QColor& to) {
  QLinearGradient gradient(0, top, 0, bottom);
  gradient.setColorAt(0, from);
  gradient.setColorAt(1, to);
  return gradient;
}

// A sheet of paper with a few grey text lines.
void sheet(QPainter& p, const QRectF& r, int lines) {
  p.setPen(QPen(kPaperEdge, 1.5));
  p.setBrush(kPaper);
  p.drawRoundedRect(r, 2, 2);
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  const qreal step = (r.height() - 12) / qMax(1, lines);
  for (int i = 0; i < lines; ++i) {
    const qreal y = r.top() + 8 + i * step;
    const qreal right = (i % 3 == 2) ? r.center().x() : r.right() - 7;
    p.drawLine(QPointF(r.left() + 7, y), QPointF(right, y));
  }
}

void drawScanner(QPainter& p) {
  sheet(p, QRectF(27, 6, 46, 42), 4);
  QPainterPath body;
  body.addRoundedRect(QRectF(6, 40, 88, 48), 10, 10);
  p.setPen(QPen(kSlateDark, 2));
  p.setBrush(vertical(40, 88, kSlate.lighter(125), kSlateDark));
  p.drawPath(body);
  // The feeder slot the sheet goes into.
  p.setPen(Qt::NoPen);
  p.setBrush(kSlateDark);
  p.drawRoundedRect(QRectF(20, 44, 60, 6), 3, 3);
  // The scan light.
  QLinearGradient glow(0, 58, 0, 70);
  glow.setColorAt(0, QColor(kCyan.red(), kCyan.green(), kCyan.blue(), 0));
  glow.setColorAt(0.5, QColor(kCyan.red(), kCyan.green(), kCyan.blue(), 150));
  glow.setColorAt(1, QColor(kCyan.red(), kCyan.green(), kCyan.blue(), 0));
  p.setBrush(glow);
  p.drawRect(QRectF(14, 58, 72, 12));
  p.setPen(QPen(kCyan, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 64), QPointF(84, 64));
  p.setPen(Qt::NoPen);
  p.setBrush(kCyan);
  p.drawEllipse(QPointF(82, 78), 3.5, 3.5);
}

void drawGear(QPainter& p) {
  p.save();
  p.translate(50, 50);
  QPainterPath teeth;
  for (int i = 0; i < 8; ++i) {
    QTransform turn;
    turn.rotate(i * 45.0);
    QPainterPath tooth;
    tooth.addRoundedRect(QRectF(-8, -44, 16, 20), 3, 3);
    teeth.addPath(turn.map(tooth));
  }
  QPainterPath ring;
  ring.addEllipse(QPointF(0, 0), 32, 32);
  QPainterPath hole;
  hole.addEllipse(QPointF(0, 0), 13, 13);
  const QPainterPath gear = teeth.united(ring).subtracted(hole);
  p.setPen(QPen(QColor(0x5b, 0x66, 0x72), 2));
  p.setBrush(vertical(-44, 44, QColor(0xc9, 0xd0, 0xd8), QColor(0x8a, 0x95, 0xa1)));
  p.drawPath(gear);
  p.restore();
  // A small amber badge: this button still waits for its set-up.
  p.setPen(QPen(Qt::white, 2.5));
  p.setBrush(QColor(0xf0, 0xa0, 0x20));
  p.drawEllipse(QPointF(76, 76), 17, 17);
  QFont font;
  font.setPixelSize(24);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(59, 59, 34, 34), Qt::AlignCenter, QStringLiteral("?"));
}

void drawPrinter(QPainter& p) {
  sheet(p, QRectF(26, 6, 48, 38), 2);
  p.setPen(QPen(kSlateDark, 2));
  p.setBrush(vertical(34, 74, QColor(0x9c, 0xa7, 0xb3), QColor(0x5d, 0x69, 0x76)));
  p.drawRoundedRect(QRectF(6, 34, 88, 42), 9, 9);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x3e, 0xd0, 0x6a));
  p.drawEllipse(QPointF(80, 46), 3.5, 3.5);
  p.setBrush(kSlateDark);
  p.drawRoundedRect(QRectF(18, 58, 64, 6), 3, 3);
  sheet(p, QRectF(24, 60, 52, 34), 3);
}

void drawProgramWindow(QPainter& p) {
  p.setPen(QPen(QColor(0x4a, 0x5a, 0x6c), 2));
  p.setBrush(kPaper);
  p.drawRoundedRect(QRectF(8, 14, 84, 72), 8, 8);
  QPainterPath bar;
  bar.addRoundedRect(QRectF(8, 14, 84, 20), 8, 8);
  bar.addRect(QRectF(8, 26, 84, 8));
  p.setPen(Qt::NoPen);
  p.setBrush(vertical(14, 34, QColor(0x3f, 0x8f, 0xd8), QColor(0x25, 0x6a, 0xb0)));
  p.drawPath(bar.simplified());
  p.setBrush(Qt::white);
  for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(20 + i * 9, 24), 3, 3);
  p.setBrush(QColor(0xd6, 0xe4, 0xf2));
  p.drawRoundedRect(QRectF(18, 44, 26, 32), 3, 3);
  p.setPen(QPen(kInk, 3.5, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 3; ++i)
    p.drawLine(QPointF(52, 48 + i * 11), QPointF(82 - (i == 2) * 10, 48 + i * 11));
}

void drawFolder(QPainter& p) {
  QPainterPath back;
  back.moveTo(8, 26);
  back.lineTo(36, 26);
  back.lineTo(44, 34);
  back.lineTo(92, 34);
  back.lineTo(92, 84);
  back.lineTo(8, 84);
  back.closeSubpath();
  p.setPen(QPen(QColor(0xb0, 0x7a, 0x10), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0xe8, 0xa8, 0x2c));
  p.drawPath(back);
  sheet(p, QRectF(18, 22, 62, 40), 2);
  p.setBrush(vertical(42, 86, QColor(0xff, 0xd2, 0x6a), QColor(0xf0, 0xae, 0x30)));
  p.drawRoundedRect(QRectF(8, 42, 84, 44), 4, 4);
}

void drawCloud(QPainter& p) {
  QPainterPath cloud;
  cloud.addEllipse(QPointF(34, 56), 20, 20);
  cloud.addEllipse(QPointF(56, 44), 26, 26);
  cloud.addEllipse(QPointF(76, 60), 16, 16);
  cloud.addRoundedRect(QRectF(14, 56, 78, 26), 13, 13);
  p.setPen(QPen(QColor(0x1f, 0x5f, 0xa8), 2));
  p.setBrush(vertical(18, 82, QColor(0x6c, 0xb8, 0xf6), QColor(0x2a, 0x7c, 0xd4)));
  p.drawPath(cloud.simplified());
  // Up into the cloud.
  p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawLine(QPointF(52, 74), QPointF(52, 46));
  p.drawPolyline(QPolygonF({QPointF(41, 56), QPointF(52, 45), QPointF(63, 56)}));
}

void drawFax(QPainter& p) {
  sheet(p, QRectF(40, 6, 44, 34), 2);
  p.setPen(QPen(kSlateDark, 2));
  p.setBrush(vertical(32, 90, kSlate.lighter(130), kSlateDark));
  p.drawRoundedRect(QRectF(28, 32, 66, 58), 8, 8);
  // The handset.
  p.setBrush(vertical(14, 90, QColor(0x6b, 0x78, 0x86), QColor(0x3a, 0x45, 0x52)));
  p.drawRoundedRect(QRectF(6, 18, 18, 72), 8, 8);
  p.setPen(Qt::NoPen);
  p.setBrush(kCyan);
  p.drawRoundedRect(QRectF(38, 42, 46, 10), 2, 2);
  p.setBrush(QColor(0xdd, 0xe3, 0xea));
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) p.drawEllipse(QPointF(44 + col * 17, 62 + row * 9), 3.2, 3.2);
  }
}

QImage arrow(bool up) {
  QImage image = blank(19, 16);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x9a, 0xa3, 0xad), 1));
  p.setBrush(vertical(0, 16, QColor(0xfd, 0xfd, 0xfd), QColor(0xd9, 0xde, 0xe4)));
  p.drawRoundedRect(QRectF(0.5, 0.5, 18, 15), 3, 3);
  const qreal top = up ? 5 : 11;
  const qreal bottom = up ? 11 : 5;
  p.setPen(Qt::NoPen);
  p.setBrush(kSlate);
  p.drawPolygon(QPolygonF({QPointF(5, bottom), QPointF(14, bottom), QPointF(9.5, top)}));
  p.end();
  return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

QImage picture(Picture which, int size) {
  QImage image = blank(size, size);
  QPainter p(&image);
  beginCanvas(p, size);
  switch (which) {
    case Picture::NoDestination:
      drawGear(p);
      break;
    case Picture::Printer:
      drawPrinter(p);
      break;
    case Picture::Program:
      drawProgramWindow(p);
      break;
    case Picture::Storage:
      drawFolder(p);
      break;
    case Picture::Cloud:
      drawCloud(p);
      break;
    case Picture::Fax:
      drawFax(p);
      break;
  }
  return image;
}

QIcon programIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    QImage image = blank(size, size);
    QPainter p(&image);
    beginCanvas(p, size);
    drawScanner(p);
    p.end();
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

QIcon progressIcon(int pages) {
  // Tray icons are often 16 to 24 pixels: the count takes the upper half, in
  // bold, so its digits still read there. Past three digits it would not fit.
  const QString count = pages > 999 ? QStringLiteral("999+") : QString::number(pages);
  QFont font;
  font.setBold(true);
  font.setPixelSize(count.size() > 2 ? 40 : 54);
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64}) {
    QImage image = blank(size, size);
    QPainter p(&image);
    beginCanvas(p, size);
    drawScanner(p);
    p.setFont(font);
    const qreal width = qBound(62.0, QFontMetricsF(font).horizontalAdvance(count) + 12, kCanvas);
    const QRectF badge(kCanvas - width, 0, width, 62);
    p.setPen(QPen(Qt::white, 4));
    p.setBrush(QColor(0xd9, 0x3b, 0x2b));
    p.drawRoundedRect(badge.adjusted(2, 2, -2, -2), 26, 26);
    p.setPen(Qt::white);
    p.drawText(badge, Qt::AlignCenter, count);
    p.end();
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

QImage panelStrip(const QColor& face) {
  QImage image = blank(150, 50);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(image.rect(), face);
  p.fillRect(QRect(0, 0, 150, 1), QColor(0xb8, 0xbe, 0xc6));
  p.fillRect(QRect(0, 1, 150, 1), Qt::white);
  // The maker's mark under the arrows.
  p.setPen(Qt::NoPen);
  p.setBrush(kCyan);
  p.drawRoundedRect(QRectF(44, 38, 6, 6), 1.5, 1.5);
  QFont font;
  font.setPixelSize(12);
  font.setBold(true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
  p.setFont(font);
  p.setPen(kSlate);
  p.drawText(QRectF(54, 30, 70, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ostrel"));
  return image;
}

QImage upArrow() { return arrow(true); }
QImage downArrow() { return arrow(false); }

}  // namespace ostrel::artwork
