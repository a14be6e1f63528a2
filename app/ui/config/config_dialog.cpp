#include "app/ui/config/config_dialog.h"

#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>

#include "app/ui/artwork.h"
#include "app/ui/window_placement.h"

namespace ostrel {

ConfigDialog::ConfigDialog(QWidget* parent, const LocalizedText& texts, const char* section)
    : QDialog(parent), texts_(texts), section_(section) {
  setWindowIcon(artwork::programIcon());
}

void ConfigDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centerOnDesktop(*this);
}

QString ConfigDialog::text(const char* key, const char* english) const {
  return QString::fromStdString(texts_(section_, key, english));
}

DialogButtons makeDialogButtons(QDialog& dialog, const QString& okText, const QString& cancelText) {
  DialogButtons buttons{new QDialogButtonBox(&dialog), nullptr, nullptr};
  buttons.ok = buttons.box->addButton(okText, QDialogButtonBox::AcceptRole);
  buttons.ok->setObjectName(QStringLiteral("ok"));
  buttons.ok->setDefault(true);
  buttons.ok->setAutoDefault(true);
  if (!cancelText.isNull()) {
    buttons.cancel = buttons.box->addButton(cancelText, QDialogButtonBox::RejectRole);
    buttons.cancel->setObjectName(QStringLiteral("cancel"));
    buttons.cancel->setAutoDefault(false);
    QObject::connect(buttons.box, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  }
  return buttons;
}

void showWarning(QWidget* parent, const QString& title, const QString& message) {
  QMessageBox box(QMessageBox::Warning, title, message, QMessageBox::Ok, parent);
  box.setWindowIcon(artwork::programIcon());
  box.exec();
}

}  // namespace ostrel
