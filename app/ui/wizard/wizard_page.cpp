#include "app/ui/wizard/wizard_page.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "app/ui/artwork.h"

namespace ostrel {

WizardPage::WizardPage(WizardContext& context, const char* section, const char* titleDefault,
                       const char* nextDefault, QWidget* parent)
    : QDialog(parent), context_(context), section_(section) {
  setWindowTitle(text("Title", titleDefault));
  setWindowIcon(artwork::programIcon());

  auto* heading = new QLabel(text("ButtonText", "Advanced Configuration Mode for Button"), this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  auto* number = new QLabel(QString::number(context_.button), this);
  number->setObjectName(QStringLiteral("buttonNumber"));
  number->setFont(bold);
  name_ = new QLineEdit(QString::fromStdString(button().title), this);
  name_->setObjectName(QStringLiteral("name"));
  name_->setMaxLength(25);

  auto* top = new QHBoxLayout;
  top->addWidget(heading);
  top->addWidget(number);
  top->addWidget(name_, 1);

  back_ = new QPushButton(text("BackButton", "&Back"), this);
  back_->setObjectName(QStringLiteral("back"));
  back_->setAutoDefault(false);
  next_ = new QPushButton(text("NextButton", nextDefault), this);
  next_->setObjectName(QStringLiteral("next"));
  next_->setDefault(true);
  connect(back_, &QPushButton::clicked, this, &WizardPage::goBack);
  connect(next_, &QPushButton::clicked, this, &WizardPage::goNext);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(back_);
  bottom->addWidget(next_);

  body_ = new QVBoxLayout;
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(body_, 1);
  layout->addLayout(bottom);
}

CButtonSetting& WizardPage::button() const { return *context_.profiles.Button(context_.button); }

CScanSetting& WizardPage::profile() const {
  CButtonSetting& record = button();
  if (!record.scanSetting && !context_.profiles.ScanSettingList().empty()) {
    record.scanSetting = context_.profiles.ScanSettingList().front().get();
  }
  return *record.scanSetting;
}

void WizardPage::goNext() {
  copyTitle();
  copyControls(true);
  exit_ = wizard::PageExit::Next;
  done(Accepted);
}

void WizardPage::goBack() {
  copyTitle();
  copyControls(false);
  exit_ = wizard::PageExit::Back;
  done(Rejected);
}

// Every page shows the name field, so every page keeps what is typed in it.
void WizardPage::copyTitle() { button().title = name_->text().toStdString(); }

void WizardPage::reject() { goBack(); }

void WizardPage::requestClose() {
  exit_ = wizard::PageExit::Closed;
  done(Rejected);
}

void WizardPage::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (std::exchange(tabOrderSet_, true)) return;
  // The buttons were made before the page's own controls: Tab reaches them last.
  QWidget* last = nullptr;
  for (QWidget* widget = nextInFocusChain(); widget != this; widget = widget->nextInFocusChain()) {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget != back_ && widget != next_) last = widget;
  }
  if (last) {
    setTabOrder(last, back_);
    setTabOrder(back_, next_);
  }
  name_->setFocus();
}

void WizardPage::closeEvent(QCloseEvent* event) {
  event->accept();
  requestClose();
}

QString WizardPage::text(const char* key, const char* englishDefault) const {
  return QString::fromStdString(context_.texts(section_, key, englishDefault));
}

void WizardPage::message(const std::string& text) {
  if (context_.showMessage) context_.showMessage(this, text);
}

}  // namespace ostrel
