#pragma once
// CPngButton: a button that shows one image with an alpha channel on the
// button-face colour. The image is kept premultiplied, each colour multiplied
// by its alpha and divided by 255 with integer division, so a fully
// transparent pixel is black with alpha 0.
#include <QAbstractButton>
#include <QImage>

namespace ostrel {

// The image premultiplied as above, in Format_ARGB32_Premultiplied; an image
// without alpha comes back unchanged in colour.
QImage premultipliedByAlpha(const QImage& straight);

class CPngButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CPngButton(const QImage& image, QWidget* parent = nullptr);

  const QImage& image() const { return image_; }
  QSize sizeHint() const override { return image_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
};

}  // namespace ostrel
