#include "app/ui/config/ftp_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ostrel {

namespace {

// "FFTP" is the list's name for SFTP.
const char* const kProtocols[] = {"FTP", "FTPS", "FFTP"};

}  // namespace

CFtpDlg::CFtpDlg(QWidget* parent, const CButtonSetting& button, const LocalizedText& texts)
    : ConfigDialog(parent, texts, "FTP") {
  // The dialog's texts are not translated.
  setWindowTitle(QStringLiteral("FTP"));
  address_ = new QLineEdit(QString::fromStdString(button.server), this);
  port_ = new QLineEdit(button.ftpPort > 0 ? QString::number(button.ftpPort) : QString(), this);
  port_->setValidator(new QIntValidator(1, 65535, port_));
  port_->setMaxLength(5);
  anonymous_ = new QCheckBox(QStringLiteral("anonymous"), this);
  anonymous_->setChecked(button.ftpAnonymous != 0);
  user_ = new QLineEdit(QString::fromStdString(button.account), this);
  password_ = new QLineEdit(QString::fromStdString(button.password), this);
  password_->setEchoMode(QLineEdit::Password);
  protocol_ = new QComboBox(this);
  for (const char* protocol : kProtocols) protocol_->addItem(QString::fromLatin1(protocol));
  protocol_->setCurrentIndex(std::max(0, protocol_->findText(QString::fromStdString(button.ftpProtocol))));
  address_->setObjectName(QStringLiteral("address"));
  port_->setObjectName(QStringLiteral("port"));
  anonymous_->setObjectName(QStringLiteral("anonymous"));
  user_->setObjectName(QStringLiteral("user"));
  password_->setObjectName(QStringLiteral("password"));
  protocol_->setObjectName(QStringLiteral("protocol"));
  address_->setMinimumWidth(address_->fontMetrics().averageCharWidth() * 36);

  // An anonymous login sends no user name or password of its own.
  const auto showLogin = [this] {
    user_->setEnabled(!anonymous_->isChecked());
    password_->setEnabled(!anonymous_->isChecked());
  };
  connect(anonymous_, &QCheckBox::toggled, this, showLogin);
  showLogin();

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Address"), address_);
  form->addRow(QStringLiteral("Port"), port_);
  form->addRow(QString(), anonymous_);
  form->addRow(QStringLiteral("Username"), user_);
  form->addRow(QStringLiteral("Password"), password_);
  form->addRow(QStringLiteral("Protocol"), protocol_);
  const DialogButtons buttons = makeDialogButtons(*this, QStringLiteral("OK"), QStringLiteral("Cancel"));
  connect(buttons.ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons.box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  address_->setFocus();
}

void CFtpDlg::store(CButtonSetting& button) const {
  button.server = address_->text().toStdString();
  button.ftpPort = port_->text().toInt();  // empty: the protocol's own port (0)
  button.ftpAnonymous = anonymous_->isChecked() ? 1 : 0;
  button.account = user_->text().toStdString();
  button.password = password_->text().toStdString();
  button.ftpProtocol = protocol_->currentText().toStdString();
}

bool editFtpSettings(QWidget* parent, CButtonSetting& button, const LocalizedText& texts) {
  CFtpDlg dialog(parent, button, texts);
  if (dialog.exec() != QDialog::Accepted) return false;
  dialog.store(button);
  return true;
}

}  // namespace ostrel
