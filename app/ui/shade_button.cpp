#include "app/ui/shade_button.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace ostrel {

namespace {

QColor mix(const QColor& a, const QColor& b, qreal share) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * share,
                          a.greenF() + (b.greenF() - a.greenF()) * share,
                          a.blueF() + (b.blueF() - a.blueF()) * share);
}

int clampByte(int value) { return value < 0 ? 0 : (value > 255 ? 255 : value); }

// A vertical shade from a light top through the face colour to a darker
// bottom, tinted toward the highlight, with a faint grain so large buttons do
// not look flat. The grain is seeded by size, so a repaint never shimmers.
QPixmap shadedBackground(QSize size, const QColor& face, const QColor& highlight,
                         const QColor& shadow, qreal tint, qreal depth) {
  QImage image(size, QImage::Format_RGB32);
  const QColor base = mix(face, highlight, tint);
  const QColor top = mix(base, Qt::white, 0.55);
  const QColor bottom = mix(base, shadow, depth);
  QRandomGenerator grain(static_cast<quint32>(size.width() * 7919 + size.height()));
  const int h = qMax(1, size.height() - 1);
  for (int y = 0; y < size.height(); ++y) {
    const qreal share = static_cast<qreal>(y) / h;
    const QColor row =
        share < 0.5 ? mix(top, base, share * 2) : mix(base, bottom, (share - 0.5) * 2);
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const int noise = static_cast<int>(grain.bounded(5)) - 2;
      line[x] = qRgb(clampByte(row.red() + noise), clampByte(row.green() + noise),
                     clampByte(row.blue() + noise));
    }
  }
  return QPixmap::fromImage(image);
}

}  // namespace

CxShadeButton::CxShadeButton(QWidget* parent) : QAbstractButton(parent) {
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QAbstractButton::toggled, this, &CxShadeButton::applyToolTip);
}

void CxShadeButton::setKind(Kind kind) {
  kind_ = kind;
  setCheckable(kind != Kind::Push);
  setAutoExclusive(kind == Kind::Radio);
  if (kind == Kind::Push) setChecked(false);
  update();
}

void CxShadeButton::setTextAlignment(Qt::Alignment alignment) {
  alignment_ = alignment;
  update();
}

void CxShadeButton::setToolTipTexts(const QString& normal, const QString& checked) {
  toolTip_ = normal;
  checkedToolTip_ = checked;
  applyToolTip();
}

void CxShadeButton::setFocusMargin(int margin) {
  focusMargin_ = margin;
  update();
}

void CxShadeButton::applyToolTip() {
  setToolTip(isChecked() && !checkedToolTip_.isEmpty() ? checkedToolTip_ : toolTip_);
}

QSize CxShadeButton::sizeHint() const {
  const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
  const int iconWidth = icon().isNull() ? 0 : iconSize().width() + 6;
  return QSize(textSize.width() + iconWidth + 16,
               qMax(textSize.height(), iconSize().height()) + 12);
}

void CxShadeButton::resizeEvent(QResizeEvent* event) {
  QAbstractButton::resizeEvent(event);
  buildBackgrounds();
}

void CxShadeButton::changeEvent(QEvent* event) {
  QAbstractButton::changeEvent(event);
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
    buildBackgrounds();
  }
}

void CxShadeButton::buildBackgrounds() {
  if (size().isEmpty()) return;
  const QPalette& pal = palette();
  const QColor face = pal.color(QPalette::Button);
  const QColor highlight = pal.color(QPalette::Highlight);
  const QColor shadow = pal.color(QPalette::Dark);
  backgrounds_[kNormal] = shadedBackground(size(), face, highlight, shadow, 0.04, 0.22);
  backgrounds_[kHover] = shadedBackground(size(), face, highlight, shadow, 0.22, 0.22);
  backgrounds_[kDown] = shadedBackground(size(), face, highlight, shadow, 0.30, 0.45);
}

void CxShadeButton::paintEvent(QPaintEvent*) {
  if (backgrounds_[kNormal].size() != size()) buildBackgrounds();
  QPainter p(this);
  const bool sunken = isDown() || isChecked();
  const bool hover = underMouse() && isEnabled();
  p.drawPixmap(0, 0, backgrounds_[sunken ? kDown : (hover ? kHover : kNormal)]);

  const QPalette& pal = palette();
  p.setPen(sunken ? pal.color(QPalette::Dark) : pal.color(QPalette::Light));
  p.drawLine(0, 0, width() - 1, 0);
  p.setPen(pal.color(QPalette::Mid));
  p.drawLine(0, height() - 1, width() - 1, height() - 1);

  // Pressed and checked buttons draw their content one pixel down and right.
  QRect content = rect().adjusted(6, 2, -4, -2);
  if (sunken) content.translate(1, 1);
  if (!icon().isNull()) {
    const QSize size = iconSize();
    const QRect iconRect(content.left(), content.top() + (content.height() - size.height()) / 2,
                         size.width(), size.height());
    icon().paint(&p, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    content.setLeft(iconRect.right() + 7);
  }
  const int flags = static_cast<int>(alignment_) | Qt::TextShowMnemonic | Qt::TextWordWrap;
  if (isEnabled()) {
    p.setPen(pal.color(QPalette::ButtonText));
    p.drawText(content, flags, text());
  } else {
    // The embossed look: a light copy one pixel off, the grey text on top.
    p.setPen(pal.color(QPalette::Light));
    p.drawText(content.translated(1, 1), flags, text());
    p.setPen(pal.color(QPalette::Disabled, QPalette::ButtonText));
    p.drawText(content, flags, text());
  }

  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(focusMargin_, focusMargin_, -focusMargin_, -focusMargin_);
    option.backgroundColor = pal.color(QPalette::Button);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
  }
}

}  // namespace ostrel
