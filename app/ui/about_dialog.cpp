#include "app/ui/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/localized_text.h"
#include "app/core/product_version.h"
#include "app/ui/artwork.h"
#include "app/ui/window_placement.h"

namespace ostrel {

namespace {

QString text(const LocalizedText& texts, const char* key, const char* english) {
  return QString::fromStdString(texts("About", key, english));
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  const LocalizedText texts = programTexts();
  setWindowTitle(text(texts, "Title", "About Ostrel"));
  setWindowIcon(artwork::programIcon());

  auto* icon = new QLabel(this);
  icon->setPixmap(artwork::programIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);
  auto* version = new QLabel(text(texts, "ButtonText", "Ostrel Ver") + QLatin1Char(' ') +
                                 QString::fromLatin1(kProductVersion),
                             this);
  version->setObjectName(QStringLiteral("version"));
  QFont bold = version->font();
  bold.setBold(true);
  version->setFont(bold);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(text(texts, "OK", "OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(text(texts, "Cancel", "Cancel"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(12);
  row->addWidget(version, 1, Qt::AlignVCenter);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CAboutDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centerOnDesktop(*this);
}

void QtAboutBox::run() {
  CAboutDlg dialog;
  open_ = &dialog;
  dialog.exec();
}

void QtAboutBox::requestClose() {
  if (open_) open_->reject();
}

}  // namespace ostrel
