#include "app/ui/more_pages_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/localized_text.h"
#include "app/ui/artwork.h"
#include "app/ui/window_thread.h"
#include "app/ui/window_placement.h"

namespace ostrel {

namespace {

QString text(const LocalizedText& texts, const char* key, const char* english) {
  return QString::fromStdString(texts("MorePage", key, english));
}

}  // namespace

CMorePageDlg::CMorePageDlg(QWidget* parent) : QDialog(parent) {
  const LocalizedText texts = programTexts();
  setWindowTitle(text(texts, "Title", "Ostrel"));
  setWindowIcon(artwork::programIcon());

  auto* icon = new QLabel(this);
  icon->setPixmap(artwork::programIcon().pixmap(48, 48));
  auto* question = new QLabel(text(texts, "Text1", "Scan more pages?"), this);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(text(texts, "Button1", "OK"), QDialogButtonBox::AcceptRole);
  QPushButton* finish =
      buttons->addButton(text(texts, "Button2", "Finish"), QDialogButtonBox::RejectRole);
  ok->setObjectName(QStringLiteral("ok"));
  finish->setObjectName(QStringLiteral("finish"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { done(1); });
  connect(finish, &QPushButton::clicked, this, [this] { done(0); });

  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addSpacing(10);
  row->addWidget(question, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CMorePageDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  centerOnDesktop(*this);
}

bool QtMorePagesPrompt::ask() {
  return callOnWindowThread<bool>(
      stop_,
      [this] {
        CMorePageDlg dialog;
        open_ = &dialog;
        return dialog.exec() == 1;
      },
      false);
}

void QtMorePagesPrompt::accept() {
  if (open_) open_->done(1);
}

}  // namespace ostrel
