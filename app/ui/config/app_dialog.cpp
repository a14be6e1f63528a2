#include "app/ui/config/app_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ostrel {

CAppDlg::CAppDlg(QWidget* parent, ProfileStore& store, const std::string& name, const LocalizedText& texts)
    : ConfigDialog(parent, texts, "App"), store_(store), openedName_(name) {
  setWindowTitle(text("Title", "Destination Properties"));
  name_ = new QLineEdit(this);
  path_ = new QLineEdit(this);
  browse_ = new QPushButton(text("Browse", "Browse..."), this);
  before_ = new QLineEdit(this);
  after_ = new QLineEdit(this);
  folderOnly_ = new QCheckBox(text("Check1", "Only pass folder name"), this);
  singleEvent_ = new QCheckBox(text("Check2", "Send Images as a single event"), this);
  name_->setObjectName(QStringLiteral("name"));
  path_->setObjectName(QStringLiteral("path"));
  browse_->setObjectName(QStringLiteral("browse"));
  before_->setObjectName(QStringLiteral("before"));
  after_->setObjectName(QStringLiteral("after"));
  folderOnly_->setObjectName(QStringLiteral("folderOnly"));
  singleEvent_->setObjectName(QStringLiteral("singleEvent"));
  browse_->setAutoDefault(false);
  path_->setMinimumWidth(path_->fontMetrics().averageCharWidth() * 44);
  connect(browse_, &QPushButton::clicked, this, &CAppDlg::browse);

  auto* formatGroup = new QGroupBox(text("FormatGroup", "Compatible Filetypes"), this);
  auto* formatGrid = new QGridLayout(formatGroup);
  const auto boxes = formatBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    formats_[i] = new QCheckBox(QString::fromLatin1(boxes[i].label), formatGroup);
    formats_[i]->setObjectName(QStringLiteral("format%1").arg(boxes[i].bit));
    formatGrid->addWidget(formats_[i], static_cast<int>(i) / 5, static_cast<int>(i) % 5);
  }

  if (const CApplicationSetting* destination = store_.FindApplicationSetting(openedName_)) {
    name_->setText(QString::fromStdString(destination->title));
    if (destinationKind(*destination) == DestinationKind::program) {
      path_->setText(QString::fromStdString(destination->path));
    } else {
      path_->setEnabled(false);
      browse_->setEnabled(false);
    }
    before_->setText(QString::fromStdString(destination->beforeFix));
    after_->setText(QString::fromStdString(destination->afterFix));
    folderOnly_->setChecked(destination->folderOnly != 0);
    singleEvent_->setChecked(destination->singleEvent != 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      formats_[i]->setChecked((destination->imageFormatCheck & boxes[i].bit) != 0);
    }
  }

  auto* fields = new QGridLayout;
  const auto addRow = [&](int row, const QString& label, QWidget* field, QWidget* extra = nullptr) {
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field);
    fields->addWidget(caption, row, 0);
    fields->addWidget(field, row, 1, 1, extra ? 1 : 2);
    if (extra) fields->addWidget(extra, row, 2);
  };
  addRow(0, text("Path", "Application Path"), path_, browse_);
  addRow(1, text("Name", "Application Name"), name_);
  addRow(2, text("BeforeName", "Additional Arguments - Before Filename"), before_);
  addRow(3, text("AfterName", "Additional Arguments - After Filename"), after_);
  fields->setColumnStretch(1, 1);

  const DialogButtons buttons =
      makeDialogButtons(*this, text("NextButton", "&OK"), text("BackButton", "&Cancel"));
  connect(buttons.ok, &QPushButton::clicked, this, &CAppDlg::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(folderOnly_);
  layout->addWidget(singleEvent_);
  layout->addWidget(formatGroup);
  layout->addWidget(buttons.box);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  // Tab goes as the fields are laid out: the path row first.
  QWidget* order[] = {path_, browse_, name_, before_, after_, folderOnly_, singleEvent_};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  setTabOrder(singleEvent_, formats_.front());
  for (std::size_t i = 1; i < formats_.size(); ++i) setTabOrder(formats_[i - 1], formats_[i]);
  setTabOrder(formats_.back(), buttons.ok);
  (path_->isEnabled() ? path_ : name_)->setFocus();
}

void CAppDlg::browse() {
  const QString chosen = QFileDialog::getOpenFileName(this, text("Title", "Destination Properties"),
                                                      path_->text().isEmpty() ? QStringLiteral("/usr/bin")
                                                                              : path_->text());
  if (chosen.isEmpty()) return;
  path_->setText(chosen);
  name_->setText(QString::fromStdString(programNameOf(chosen.toStdString())));
}

void CAppDlg::accept() {
  DestinationFields fields;
  fields.title = name_->text().toStdString();
  fields.path = path_->text().toStdString();
  fields.beforeFix = before_->text().toStdString();
  fields.afterFix = after_->text().toStdString();
  fields.folderOnly = folderOnly_->isChecked();
  fields.singleEvent = singleEvent_->isChecked();
  const auto boxes = formatBoxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (formats_[i]->isChecked()) fields.formatMask |= boxes[i].bit;
  }
  outcome_ = acceptDestinationProperties(store_, openedName_, fields);
  switch (outcome_.problem) {
    case DestinationProblem::pathEmpty:
      showWarning(this, windowTitle(), text("Message1", "Application Path should not be blank."));
      path_->setFocus();
      return;
    case DestinationProblem::nameEmpty:
      showWarning(this, windowTitle(), text("Message1", "Application Path should not be blank."));
      name_->setFocus();
      return;
    case DestinationProblem::nameTaken:
      showWarning(this, windowTitle(), text("Message2", "Application Name has already existed."));
      name_->setFocus();
      return;
    case DestinationProblem::none:
      break;
  }
  if (!outcome_.changed) {
    QDialog::reject();  // nothing could be added; the log says why
    return;
  }
  QDialog::accept();
}

std::optional<DestinationOutcome> editDestination(QWidget* parent, ProfileStore& store,
                                                  const std::string& name, const LocalizedText& texts) {
  CAppDlg dialog(parent, store, name, texts);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.outcome();
}

}  // namespace ostrel
