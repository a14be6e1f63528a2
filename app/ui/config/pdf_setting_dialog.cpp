#include "app/ui/config/pdf_setting_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace ostrel {

namespace {

constexpr int kImageOnly = 3;
constexpr int kTextReplacement = 0;
constexpr int kTextUnderImage = 2;

}  // namespace

CPdfSetDlg::CPdfSetDlg(QWidget* parent, int option, const LocalizedText& texts)
    : ConfigDialog(parent, texts, "PDF") {
  setWindowTitle(text("Title", "PDF Setting"));
  auto* group = new QGroupBox(text("Text1", "Options"), this);
  imageOnly_ = new QRadioButton(text("Radio1", "Image Only"), group);
  textReplacement_ = new QRadioButton(text("Radio2", "OCR with Text Replacement"), group);
  textUnderImage_ = new QRadioButton(text("Radio3", "Searchable PDF - Text under Image"), group);
  imageOnly_->setObjectName(QStringLiteral("imageOnly"));
  textReplacement_->setObjectName(QStringLiteral("textReplacement"));
  textUnderImage_->setObjectName(QStringLiteral("textUnderImage"));
  QRadioButton* checked = option == kTextReplacement ? textReplacement_
                          : option == kTextUnderImage ? textUnderImage_
                                                      : imageOnly_;
  checked->setChecked(true);
  auto* column = new QVBoxLayout(group);
  column->addWidget(imageOnly_);
  column->addWidget(textReplacement_);
  column->addWidget(textUnderImage_);

  const DialogButtons buttons = makeDialogButtons(*this, text("Button1", "OK"), text("Button2", "Cancel"));
  connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons.box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  checked->setFocus();
}

int CPdfSetDlg::option() const {
  if (textReplacement_->isChecked()) return kTextReplacement;
  if (textUnderImage_->isChecked()) return kTextUnderImage;
  return kImageOnly;
}

std::optional<int> askPdfOption(QWidget* parent, int option, const LocalizedText& texts) {
  CPdfSetDlg dialog(parent, option, texts);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.option();
}

}  // namespace ostrel
