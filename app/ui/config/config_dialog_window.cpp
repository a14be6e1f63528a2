#include "app/ui/config/config_dialog_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui/config/advanced_mode.h"
#include "app/ui/config/easy_dialog.h"
#include "app/ui/destination_icon.h"
#include "app/settings/localized_text.h"
#include "platform/activity_log.h"

namespace ostrel {

namespace {

constexpr int kIconSide = 32;

}  // namespace

CConfigDlg::CConfigDlg(QWidget* parent, ConfigContext& context, int preset)
    : ConfigDialog(parent, context.texts, "Config"), context_(context) {
  setWindowTitle(text("Title", "Ostrel Configuration"));
  auto* heading = new QLabel(text("Text1", "Button configuration for Ostrel"), this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  auto* scanner = new QLabel(QString::fromStdString(context_.scannerName), this);
  scanner->setObjectName(QStringLiteral("scannerName"));
  buttons_ = new QComboBox(this);
  buttons_->setObjectName(QStringLiteral("buttons"));
  auto* listLabel = new QLabel(text("Text2", "Configure Button Number"), this);
  listLabel->setBuddy(buttons_);
  destinationIcon_ = new QLabel(this);
  destinationIcon_->setObjectName(QStringLiteral("destinationIcon"));
  destinationIcon_->setFixedSize(kIconSide, kIconSide);
  destinationName_ = new QLabel(this);
  destinationName_->setObjectName(QStringLiteral("destinationName"));
  easy_ = new QRadioButton(text("Radio1", "Easy mode"), this);
  advanced_ = new QRadioButton(text("Radio2", "Advanced mode"), this);
  easy_->setObjectName(QStringLiteral("easy"));
  advanced_->setObjectName(QStringLiteral("advanced"));
  easy_->setChecked(true);

  const DialogButtons row = makeDialogButtons(*this, text("Button2", "&Next"), text("Button1", "&Cancel"));
  row.ok->setObjectName(QStringLiteral("next"));
  connect(row.ok, &QPushButton::clicked, this, &CConfigDlg::accept);

  auto* top = new QHBoxLayout;
  top->addWidget(heading);
  top->addStretch(1);
  top->addWidget(scanner);
  auto* grid = new QGridLayout;
  grid->addWidget(listLabel, 0, 0);
  grid->addWidget(buttons_, 0, 1);
  auto* destination = new QHBoxLayout;
  destination->addWidget(destinationIcon_);
  destination->addWidget(destinationName_, 1);
  grid->addLayout(destination, 1, 1);
  grid->setColumnStretch(1, 1);
  auto* modes = new QHBoxLayout;
  modes->addWidget(easy_);
  modes->addWidget(advanced_);
  modes->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(grid);
  layout->addLayout(modes);
  layout->addWidget(row.box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setTabOrder(buttons_, easy_);
  setTabOrder(easy_, advanced_);
  setTabOrder(advanced_, row.ok);

  for (int n = 1; n <= context_.store.buttonCount(); ++n) {
    const CButtonSetting* button = context_.store.Button(n);
    buttons_->addItem(QString::fromStdString(formatWithNumber("%d - ", n) + button->title), n);
  }
  const int preselected = buttons_->findData(preset);
  buttons_->setCurrentIndex(preselected >= 0 ? preselected : 0);
  showDestination();
  connect(buttons_, &QComboBox::currentIndexChanged, this, &CConfigDlg::showDestination);
  buttons_->setFocus();
}

int CConfigDlg::selectedButton() const { return buttons_->currentData().toInt(); }

void CConfigDlg::showDestination() {
  const CButtonSetting* button = context_.store.Button(selectedButton());
  const CApplicationSetting* destination = button ? button->applicationSetting : nullptr;
  destinationName_->setText(destination ? QString::fromStdString(destination->title) : QString());
  destinationIcon_->setPixmap(destinationIconOf(button, kIconSide).pixmap(kIconSide, kIconSide));
}

void CConfigDlg::accept() {
  const int button = selectedButton();
  if (!context_.store.Button(button)) return;
  hide();
  bool done = false;
  bool cancelled = false;
  if (easy_->isChecked()) {
    CEasyDlg easy(this, context_, button);
    openChild_ = &easy;
    done = easy.exec() == QDialog::Accepted;
  } else {
    const AdvancedOutcome outcome = runAdvancedMode(this, context_, button);
    done = outcome == AdvancedOutcome::finished;
    cancelled = outcome == AdvancedOutcome::closed;
  }
  openChild_ = nullptr;
  if (closing_ || cancelled) {
    QDialog::reject();
  } else if (done) {
    QDialog::accept();
  } else {
    // Back: the window again, its button list showing the names as they are now.
    for (int i = 0; i < buttons_->count(); ++i) {
      const int n = buttons_->itemData(i).toInt();
      buttons_->setItemText(i, QString::fromStdString(formatWithNumber("%d - ", n) + context_.store.Button(n)->title));
    }
    showDestination();
    show();
  }
}

void CConfigDlg::requestClose() {
  closing_ = true;
  if (context_.closeAdvancedMode) {
    context_.closeAdvancedMode();  // the window closes once the wizard has ended
    return;
  }
  if (openChild_) {
    openChild_->reject();  // the window closes once the child has returned
    return;
  }
  reject();
}

void QtConfigurationWindow::run(int button) {
  ConfigContext context{store_,
                        {scanner_.hasFeeder, scanner_.hasDuplex, scanner_.maxWidth, scanner_.maxLength},
                        scanner_.modelName,
                        programFolder_,
                        LocalizedText(resourceSettingPath(programFolder_)),
                        cloudAccount_,
                        &scanner_,
                        {}};
  CConfigDlg dialog(nullptr, context, button);
  open_ = &dialog;
  const bool finished = dialog.exec() == QDialog::Accepted;
  Log(finished ? "The configuration was finished." : "The configuration was cancelled.");
}

void QtConfigurationWindow::requestClose() {
  if (open_) open_->requestClose();
}

}  // namespace ostrel
