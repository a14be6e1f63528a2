#pragma once
// CxShadeButton: a push button, check box or radio button drawn on a shaded,
// lightly grained background, with an icon and a text. Pressing, toggling,
// keyboard and radio-group behaviour are QAbstractButton's, which already gives
// what the control needs: the pressed look only while the pointer stays over
// the control, a toggle only on a release inside it, Space as a click, and
// radio buttons of one parent clearing each other.
#include <QAbstractButton>
#include <QPixmap>

namespace ostrel {

class CxShadeButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum class Kind { Push = 0, Check = 2, Radio = 4 };

  explicit CxShadeButton(QWidget* parent = nullptr);

  void setKind(Kind kind);
  Kind kind() const { return kind_; }
  void setTextAlignment(Qt::Alignment alignment);
  // The tooltip shown while unchecked and while checked; an empty checked text
  // means the unchecked one serves for both.
  void setToolTipTexts(const QString& normal, const QString& checked = {});
  void setFocusMargin(int margin);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  enum Look { kNormal, kHover, kDown, kLookCount };
  void buildBackgrounds();
  void applyToolTip();

  Kind kind_ = Kind::Push;
  Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
  QString toolTip_;
  QString checkedToolTip_;
  int focusMargin_ = 3;
  QPixmap backgrounds_[kLookCount];
};

}  // namespace ostrel
