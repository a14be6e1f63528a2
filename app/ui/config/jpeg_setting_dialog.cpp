#include "app/ui/config/jpeg_setting_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace ostrel {

CJpegSetDlg::CJpegSetDlg(QWidget* parent, int position, const LocalizedText& texts)
    : ConfigDialog(parent, texts, "JPG") {
  setWindowTitle(text("Title", "Jpeg Properties"));
  auto* group = new QGroupBox(text("Text1", "Jpeg Quality and Compression"), this);
  slider_ = new QSlider(Qt::Horizontal, group);
  slider_->setObjectName(QStringLiteral("quality"));
  slider_->setRange(1, 100);
  slider_->setTickInterval(1);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setPageStep(10);
  slider_->setValue(position);
  slider_->setMinimumWidth(slider_->fontMetrics().averageCharWidth() * 40);
  auto* best = new QLabel(text("Text2", "Best"), group);
  auto* smallest = new QLabel(text("Text3", "Smallest"), group);
  auto* grid = new QGridLayout(group);
  grid->addWidget(slider_, 0, 0, 1, 2);
  grid->addWidget(best, 1, 0, Qt::AlignLeft);
  grid->addWidget(smallest, 1, 1, Qt::AlignRight);

  const DialogButtons buttons = makeDialogButtons(*this, text("Button1", "OK"), text("Button2", "Cancel"));
  connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons.box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  slider_->setFocus();
}

int CJpegSetDlg::position() const { return slider_->value(); }

std::optional<int> askJpegQuality(QWidget* parent, int position, const LocalizedText& texts) {
  CJpegSetDlg dialog(parent, position, texts);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.position();
}

}  // namespace ostrel
