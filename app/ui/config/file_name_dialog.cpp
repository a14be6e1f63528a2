#include "app/ui/config/file_name_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrel {

CFileNameDlg::CFileNameDlg(QWidget* parent, const LocalizedText& texts, const QString& name)
    : ConfigDialog(parent, texts, "Profile") {
  setWindowTitle(text("Title", "Ostrel Profile Name Setting"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  name_ = new QLineEdit(name, this);
  name_->setObjectName(QStringLiteral("name"));
  name_->setMinimumWidth(name_->fontMetrics().averageCharWidth() * 32);
  auto* label = new QLabel(text("Text1", "File Name"), this);
  label->setBuddy(name_);
  const DialogButtons buttons = makeDialogButtons(*this, text("Button1", "OK"), QString());
  ok_ = buttons.ok;
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(name_, &QLineEdit::textChanged, this, [this](const QString& now) { ok_->setEnabled(!now.isEmpty()); });
  ok_->setEnabled(!name.isEmpty());

  auto* form = new QFormLayout;
  form->addRow(label, name_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons.box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  name_->setFocus();
}

std::string CFileNameDlg::name() const { return name_->text().toStdString(); }

std::string askProfileName(QWidget* parent, const LocalizedText& texts, const std::string& name) {
  CFileNameDlg dialog(parent, texts, QString::fromStdString(name));
  dialog.exec();
  return dialog.name();
}

}  // namespace ostrel
