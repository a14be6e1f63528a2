#include "app/ui/config/easy_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/scan/twain/paper_sizes.h"
#include "app/ui/config/cloud_browse.h"
#include "app/ui/config/folder_browser.h"
#include "app/ui/config/naming_menu.h"
#include "app/ui/destination_icon.h"

namespace ostrel {

namespace {

constexpr int kIconSide = 32;
constexpr int kTitleLimit = 25;

QString qs(const std::string& text) { return QString::fromStdString(text); }

QLabel* labelFor(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

CEasyDlg::CEasyDlg(QWidget* parent, ConfigContext& context, int button)
    : ConfigDialog(parent, context.texts, "EasyDlg"), context_(context), button_(button) {
  setWindowTitle(text("Title", "Ostrel Easy Configuration"));
  number_ = new QComboBox(this);
  title_ = new QLineEdit(this);
  title_->setMaxLength(kTitleLimit);
  title_->setMinimumWidth(title_->fontMetrics().averageCharWidth() * 26);
  destination_ = new QComboBox(this);
  destinationIcon_ = new QLabel(this);
  destinationIcon_->setFixedSize(kIconSide, kIconSide);

  auto* preferences = new QGroupBox(text("Preferences", "Scan Preferences"), this);
  profile_ = new QComboBox(preferences);
  paper_ = new QComboBox(preferences);
  front_ = new QRadioButton(text("Front", "Front Side"), preferences);
  both_ = new QRadioButton(text("Both", "Both Sides"), preferences);
  auto* sides = new QButtonGroup(this);
  sides->addButton(front_);
  sides->addButton(both_);

  auto* saving = new QGroupBox(text("SaveGroup", "Saving"), this);
  folder_ = new QLineEdit(saving);
  folder_->setMinimumWidth(folder_->fontMetrics().averageCharWidth() * 40);
  browse_ = new QPushButton(text("BrowseButton", "Browse..."), saving);
  selectFolder_ = new QCheckBox(text("Check1 ", "&Select at Scan Time"), saving);
  name_ = new QLineEdit(saving);
  naming_ = new QPushButton(text("NamingButton", "Naming Options"), saving);
  selectName_ = new QCheckBox(text("Check2", "Select Name When &Finished"), saving);
  format_ = new QComboBox(saving);
  morePages_ = new QCheckBox(text("MorePage", "Ask for more pages when empty"), saving);

  // Apply apart on the left; Back and Finish in wizard order on the right.
  auto* applyButton = new QPushButton(text("ApplyButton", "Apply"), this);
  auto* back = new QPushButton(text("BackButton", "&Back"), this);
  auto* finish = new QPushButton(text("NextButton", "&Finish"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(applyButton);
  buttons->addStretch(1);
  buttons->addWidget(back);
  buttons->addWidget(finish);
  for (QPushButton* plain : {applyButton, back, browse_, naming_}) plain->setAutoDefault(false);
  finish->setDefault(true);

  const std::pair<QWidget*, const char*> names[] = {
      {number_, "number"},   {title_, "title"},         {destination_, "destination"},
      {destinationIcon_, "destinationIcon"},             {profile_, "profile"},
      {paper_, "paper"},     {front_, "front"},         {both_, "both"},
      {folder_, "folder"},   {browse_, "browse"},       {selectFolder_, "selectFolder"},
      {name_, "name"},       {naming_, "naming"},       {selectName_, "selectName"},
      {format_, "format"},   {morePages_, "morePages"}, {applyButton, "apply"},
      {back, "back"},        {finish, "finish"}};
  for (const auto& [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));

  // Heading: the button's number and name; then its destination.
  auto* top = new QGridLayout;
  top->addWidget(labelFor(text("ButtonText", "Easy Configuration Mode for Button"), number_, this), 0, 0);
  auto* numberRow = new QHBoxLayout;
  numberRow->addWidget(number_);
  numberRow->addWidget(title_, 1);
  top->addLayout(numberRow, 0, 1, 1, 2);
  top->addWidget(labelFor(text("ScanToApp", "Scan Destination"), destination_, this), 1, 0);
  top->addWidget(destination_, 1, 1);
  top->addWidget(destinationIcon_, 1, 2);
  top->setColumnStretch(1, 1);

  auto* preferenceGrid = new QGridLayout(preferences);
  preferenceGrid->addWidget(labelFor(text("ScannedFormat", "What is being scanned"), profile_, preferences), 0, 0);
  preferenceGrid->addWidget(profile_, 0, 1);
  preferenceGrid->addWidget(labelFor(text("PageSize", "What size"), paper_, preferences), 1, 0);
  preferenceGrid->addWidget(paper_, 1, 1);
  preferenceGrid->addWidget(labelFor(text("ScanSide", "Scan which side"), front_, preferences), 2, 0);
  auto* sideRow = new QHBoxLayout;
  sideRow->addWidget(front_);
  sideRow->addWidget(both_);
  sideRow->addStretch(1);
  preferenceGrid->addLayout(sideRow, 2, 1);
  preferenceGrid->setColumnStretch(1, 1);

  auto* savingGrid = new QGridLayout(saving);
  savingGrid->addWidget(labelFor(text("Folder", "Folder"), folder_, saving), 0, 0);
  savingGrid->addWidget(folder_, 0, 1);
  savingGrid->addWidget(browse_, 0, 2);
  savingGrid->addWidget(selectFolder_, 1, 1, 1, 2);
  savingGrid->addWidget(labelFor(text("Name", "Name"), name_, saving), 2, 0);
  savingGrid->addWidget(name_, 2, 1);
  savingGrid->addWidget(naming_, 2, 2);
  savingGrid->addWidget(selectName_, 3, 1, 1, 2);
  savingGrid->addWidget(labelFor(text("FileFormat", "File Format"), format_, saving), 4, 0);
  savingGrid->addWidget(format_, 4, 1);
  savingGrid->addWidget(morePages_, 5, 1, 1, 2);
  savingGrid->setColumnStretch(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(preferences);
  layout->addWidget(saving);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  const QWidget* order[] = {number_,  title_,        destination_, profile_, paper_,  front_,
                            both_,    folder_,       browse_,      selectFolder_,     name_,
                            naming_,  selectName_,   format_,      morePages_,        applyButton,
                            back,     finish};
  for (std::size_t i = 1; i < std::size(order); ++i) {
    setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
  }

  // Opening: the number list, then the button's fields.
  for (int n = 1; n <= context_.store.buttonCount(); ++n) number_->addItem(QString::number(n), n);
  loadButton();

  connect(number_, &QComboBox::activated, this, &CEasyDlg::numberChosen);
  connect(destination_, &QComboBox::activated, this, &CEasyDlg::destinationChosen);
  connect(format_, &QComboBox::activated, this, &CEasyDlg::formatChosen);
  connect(profile_, &QComboBox::activated, this, &CEasyDlg::profileChosen);
  connect(folder_, &QLineEdit::textChanged, this, [this] {
    if (!loading_) record().id.clear();  // a folder of the user's own is no cloud folder
  });
  connect(browse_, &QPushButton::clicked, this, &CEasyDlg::browse);
  connect(naming_, &QPushButton::clicked, this, [this] { showNamingMenu(*naming_, *name_, texts()); });
  connect(applyButton, &QPushButton::clicked, this, &CEasyDlg::apply);
  connect(back, &QPushButton::clicked, this, &QDialog::reject);
  connect(finish, &QPushButton::clicked, this, &CEasyDlg::accept);
  title_->setFocus();
}

CButtonSetting& CEasyDlg::record() const { return *context_.store.Button(button_); }

void CEasyDlg::loadButton() {
  loading_ = true;
  number_->setCurrentIndex(number_->findData(button_));
  destination_->clear();
  for (const auto& destination : context_.store.ApplicationSettingList()) destination_->addItem(qs(destination->title));
  profile_->clear();
  for (const auto& profile : context_.store.ScanSettingList()) profile_->addItem(qs(profile->title));
  paper_->clear();
  const auto sizes = paperSizes();
  for (std::size_t i = 0; i < sizes.size(); ++i) paper_->addItem(QString::fromUtf8(sizes[i].name), static_cast<int>(i));

  const CButtonSetting& button = record();
  // The button's own destination by its exact name; a name that is only the
  // start of another entry's would point the button elsewhere on Apply.
  int destinationIndex = -1;
  if (button.applicationSetting) {
    const QString name = qs(button.applicationSetting->title);
    destinationIndex = destination_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (destinationIndex < 0) destinationIndex = destination_->findText(name, Qt::MatchStartsWith);
  }
  destination_->setCurrentIndex(destinationIndex);
  profile_->setCurrentIndex(
      button.scanSetting ? profile_->findText(qs(button.scanSetting->title), Qt::MatchExactly | Qt::MatchCaseSensitive)
                         : -1);
  refreshDestination();
  loadRecordFields();
  loading_ = false;
}

void CEasyDlg::loadRecordFields() {
  const bool wasLoading = std::exchange(loading_, true);
  const CButtonSetting& button = record();
  title_->setText(qs(button.title));
  folder_->setText(qs(button.imageFolder));
  name_->setText(qs(button.imageName));
  const bool duplex = context_.scanner.hasFeeder && context_.scanner.hasDuplex;
  both_->setEnabled(duplex);
  (duplex && button.scanSide == 2 ? both_ : front_)->setChecked(true);
  format_->setCurrentIndex(format_->findData(button.fileFormat == format::kPdf ? format::kMultiPdf : button.fileFormat));
  selectFolder_->setChecked(button.selectFolder == 1);
  selectName_->setChecked(button.selectName == 1);
  morePages_->setChecked(button.morePages != 0);
  paper_->setCurrentIndex(button.scanSetting ? paper_->findData(paperSelection(*button.scanSetting)) : -1);
  // The printer takes no folder, whatever the record says.
  if (!folder_->isEnabled()) folder_->clear();
  loading_ = wasLoading;
}

void CEasyDlg::refreshDestination() {
  const CButtonSetting& button = record();
  destinationIcon_->setPixmap(destinationIconOf(&button, kIconSide).pixmap(kIconSide, kIconSide));
  const FormatChoices choices = formatChoices(destination_->currentIndex() < 0 ? nullptr : button.applicationSetting,
                                              button.fileFormat);
  format_->clear();
  for (const int code : choices.codes) format_->addItem(qs(formatListText(code)), code);
  format_->setCurrentIndex(choices.selected);
  format_->setEnabled(choices.listEnabled);
  if (!choices.folderEnabled) folder_->clear();
  folder_->setEnabled(choices.folderEnabled);
  browse_->setEnabled(choices.folderEnabled);
  selectFolder_->setEnabled(choices.folderEnabled);
}

void CEasyDlg::destinationChosen(int index) {
  CButtonSetting& button = record();
  CApplicationSetting* destination =
      index < 0 ? nullptr : context_.store.FindApplicationSetting(destination_->itemText(index).toStdString());
  folder_->setText(qs(chooseDestination(button, destination)));
  refreshDestination();
  const int code = format_->currentIndex() < 0 ? 0 : format_->currentData().toInt();
  button.fileFormatProperty = formatPropertyForDestination(code);
}

void CEasyDlg::formatChosen(int index) {
  if (index < 0) return;
  record().fileFormatProperty = formatPropertyForFormat(format_->itemData(index).toInt());
}

void CEasyDlg::profileChosen(int index) {
  if (index < 0) return;
  CButtonSetting& button = record();
  const std::string name = profile_->itemText(index).toStdString();
  if (button.scanSetting && button.scanSetting->title == name) {
    context_.store.ReloadScanSetting(*button.scanSetting);
  } else if (CScanSetting* chosen = context_.store.FindScanSetting(name)) {
    button.scanSetting = chosen;
  }
  loadRecordFields();
}

void CEasyDlg::numberChosen(int index) {
  if (index < 0) return;
  button_ = number_->itemData(index).toInt();
  loadButton();
}

void CEasyDlg::browse() {
  const CApplicationSetting* destination = record().applicationSetting;
  if (destination_->currentIndex() >= 0 && destination && destination->path == destination::kGoogle) {
    browseCloud();
    return;
  }
  if (auto chosen = browseForFolder(this, text("Message4", "Choose the path:"), folder_->text().toStdString())) {
    folder_->setText(qs(*chosen));
  }
}

void CEasyDlg::browseCloud() {
  const CloudBrowseResult result =
      ostrel::browseCloud(this, context_, record(), button_, folder_->text().toStdString(),
                          {windowTitle(), text("Message1", "Drovel.dll is missing."),
                           text("Message2", "Please configure your username and password!"),
                           text("Message3", "Login Google docs failed.")});
  if (result.folder) folder_->setText(qs(*result.folder));  // clears the old identifier first
  if (result.id) record().id = *result.id;
}

void CEasyDlg::apply() {
  EasyFields fields;
  fields.title = title_->text().toStdString();
  fields.scanProfile = profile_->currentText().toStdString();
  if (format_->currentIndex() >= 0) fields.fileFormat = format_->currentData().toInt();
  fields.selectFolder = selectFolder_->isChecked();
  fields.selectName = selectName_->isChecked();
  fields.imageFolder = folder_->text().toStdString();
  fields.imageName = name_->text().toStdString();
  fields.bothSides = both_->isChecked();
  fields.destination = destination_->currentIndex() < 0 ? std::string() : destination_->currentText().toStdString();
  fields.morePages = morePages_->isChecked();
  fields.paperSize = paper_->currentIndex() < 0 ? kPaperAutomatic : paper_->currentData().toInt();
  applyEasyFields(context_.store, number_->currentData().toInt(), fields, context_.scanner);
}

void CEasyDlg::accept() {
  apply();
  QDialog::accept();
}

}  // namespace ostrel
