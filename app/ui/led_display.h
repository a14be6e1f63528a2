#pragma once
// CLED: a seven-segment number display. Each character of its text takes one
// digit cell; digits and ':' light their segments, any other character shows
// the unlit segments only. Segment thickness and length follow the control's
// height at its first paint. Qt double-buffers widget painting, so the display
// draws straight onto its widget.
#include <QColor>
#include <QString>
#include <QWidget>

namespace ostrel {

class CLED : public QWidget {
  Q_OBJECT

 public:
  // Segment bits of one cell.
  enum Segment : unsigned {
    kTop = 0x80,
    kUpperRight = 0x40,
    kLowerRight = 0x20,
    kBottom = 0x10,
    kLowerLeft = 0x08,
    kUpperLeft = 0x04,
    kMiddle = 0x02,
  };

  explicit CLED(QWidget* parent = nullptr);

  void setText(const QString& text);
  QString text() const { return text_; }
  void setBackgroundColor(const QColor& color);
  void setLitColor(const QColor& color);
  void setShowUnlit(bool show);

  // The lit segments of a character.
  static unsigned segmentMask(QChar c);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void drawSegments(class QPainter& painter, int cellX, unsigned mask, const QColor& color) const;

  QString text_ = QStringLiteral("0");
  QColor background_{0, 0, 0};
  QColor lit_{10, 230, 255};
  QColor unlit_{30, 40, 30};
  bool showUnlit_ = true;
  int thickness_ = 0;  // 0 until the first paint
  int length_ = 0;
};

}  // namespace ostrel
