#include "app/ui/wizard/spin_field.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ostrel {

SpinField::SpinField(int minimum, int maximum, int position, QWidget* parent, Format format, Parse parse)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), format_(std::move(format)), parse_(std::move(parse)) {
  if (!format_) format_ = [](int value) { return QString::number(value); };
  if (!parse_) parse_ = [](const QString& text) { return text.trimmed().toInt(); };
  field_ = new QLineEdit(this);
  up_ = new QToolButton(this);
  up_->setArrowType(Qt::UpArrow);
  down_ = new QToolButton(this);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* arrow : {up_, down_}) {
    arrow->setFocusPolicy(Qt::NoFocus);  // the field takes Up and Down itself
    arrow->setAutoRepeat(true);
    arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  }
  connect(up_, &QToolButton::clicked, this, [this] { step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
  auto* arrows = new QVBoxLayout;
  arrows->setSpacing(0);
  arrows->addWidget(up_);
  arrows->addWidget(down_);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  layout->addWidget(field_, 1);
  layout->addLayout(arrows);
  setFocusProxy(field_);
  setPosition(position);
}

int SpinField::position() const { return std::clamp(parse_(field_->text()), minimum_, maximum_); }

void SpinField::setPosition(int position) { field_->setText(format_(std::clamp(position, minimum_, maximum_))); }

void SpinField::step(int by) {
  setPosition(position() + by);
  emit stepped();
}

}  // namespace ostrel
