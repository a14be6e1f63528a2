#include "app/ui/wizard/adv1_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "app/core/configuration/easy_configuration.h"
#include "app/core/wizard/page_rules.h"
#include "imaging/format_codes.h"

namespace ostrel {

namespace {

constexpr const char* kOcrLanguages[] = {"English", "French", "German", "Italian", "Spanish"};

QString formatText(int code) {
  switch (code) {
    case format::kBmp:
      return QStringLiteral("BMP");
    case format::kJpeg:
      return QStringLiteral("JPG");
    case format::kGif:
      return QStringLiteral("GIF");
    case format::kTiff:
      return QStringLiteral("Single-Page TIFF");
    case format::kMultiTiff:
      return QStringLiteral("Multi-Page TIFF");
    default:
      return QStringLiteral("PDF");
  }
}

// The list entry whose text starts with name, as a prefix search finds it.
int prefixMatch(const QComboBox* list, const std::string& name) {
  if (name.empty()) return -1;
  const QString wanted = QString::fromStdString(name);
  for (int i = 0; i < list->count(); ++i) {
    if (list->itemText(i).startsWith(wanted, Qt::CaseInsensitive)) return i;
  }
  return -1;
}

}  // namespace

CAdv1Dlg::CAdv1Dlg(WizardContext& context, QWidget* parent)
    : WizardPage(context, "Adv1", "Ostrel Destination Configuration", "&Next", parent) {
  const WizardDialogs& dialogs = context.dialogs;
  profiles_ = new QComboBox(this);
  profiles_->setObjectName(QStringLiteral("profiles"));
  destinations_ = new QComboBox(this);
  destinations_->setObjectName(QStringLiteral("destinations"));
  destinationProperties_ = new QPushButton(text("ScanPathButton", "Properties"), this);
  destinationProperties_->setObjectName(QStringLiteral("destinationProperties"));
  formats_ = new QComboBox(this);
  formats_->setObjectName(QStringLiteral("formats"));
  formatProperties_ = new QPushButton(text("FileFormatButton", "Properties"), this);
  formatProperties_->setObjectName(QStringLiteral("formatProperties"));
  ocr_ = new QComboBox(this);
  ocr_->setObjectName(QStringLiteral("ocr"));
  for (const char* language : kOcrLanguages) ocr_->addItem(QString::fromLatin1(language));
  selectFolder_ = new QCheckBox(text("SelectScanTimeText", "&Select at Scan Time"), this);
  selectFolder_->setObjectName(QStringLiteral("selectFolder"));
  remember_ = new QCheckBox(text("RememberFolderText", "&Remember Last Selected Folder"), this);
  remember_->setObjectName(QStringLiteral("remember"));
  folder_ = new QLineEdit(this);
  folder_->setObjectName(QStringLiteral("folder"));
  browse_ = new QPushButton(text("BrowseButton", "Browse..."), this);
  browse_->setObjectName(QStringLiteral("browse"));
  subfolder_ = new QCheckBox(text("CreateSubfolder", "&Automatically Create Subfolders"), this);
  subfolder_->setObjectName(QStringLiteral("subfolder"));
  subfolderFormats_ = new QComboBox(this);
  subfolderFormats_->setObjectName(QStringLiteral("subfolderFormats"));
  const std::pair<const char*, const char*> subfolderTexts[] = {
      {"SubFolderFormat1", "Daily - MM-DD-YYYY format"}, {"SubFolderFormat2", "Daily - DD-MM-YYYY format"},
      {"SubFolderFormat3", "Weekly - Week number"},      {"SubFolderFormat4", "Weekly - Week ending"},
      {"SubFolderFormat5", "Monthly - MM-YYYY"},         {"SubFolderFormat6", "Monthly - MM-name"}};
  for (const auto& [key, english] : subfolderTexts) subfolderFormats_->addItem(text(key, english));
  fileName_ = new QLineEdit(this);
  fileName_->setObjectName(QStringLiteral("fileName"));
  naming_ = new QPushButton(text("NameOptionButton", "Naming Options"), this);
  naming_->setObjectName(QStringLiteral("namingOptions"));
  naming_->setEnabled(static_cast<bool>(dialogs.namingMenu));
  selectName_ = new QCheckBox(text("SelectFinishedText", "Select Name When &Finished"), this);
  selectName_->setObjectName(QStringLiteral("selectName"));
  for (QPushButton* push : {destinationProperties_, formatProperties_, browse_, naming_}) push->setAutoDefault(false);

  auto label = [this](const char* key, const char* english, QWidget* buddy) {
    auto* result = new QLabel(text(key, english), this);
    result->setBuddy(buddy);
    return result;
  };
  auto* grid = new QGridLayout;
  grid->addWidget(label("LoadSettingText", "Load settings", profiles_), 0, 0);
  grid->addWidget(profiles_, 0, 1);
  grid->addWidget(label("ScanToAppText", "Scan Destination", destinations_), 1, 0);
  grid->addWidget(destinations_, 1, 1);
  grid->addWidget(destinationProperties_, 1, 2);
  grid->addWidget(label("FileFormatText", "Scan File Format", formats_), 2, 0);
  grid->addWidget(formats_, 2, 1);
  grid->addWidget(formatProperties_, 2, 2);
  grid->addWidget(label("LanguagesText", "OCR Languages", ocr_), 3, 0);
  grid->addWidget(ocr_, 3, 1);
  grid->setColumnStretch(1, 1);

  auto* folderGroup = new QGroupBox(text("FolderSettingText", "Folder Settings"), this);
  auto* folderGrid = new QGridLayout(folderGroup);
  folderGrid->addWidget(selectFolder_, 0, 0, 1, 2);
  folderGrid->addWidget(remember_, 1, 0, 1, 2);
  auto* folderLabel = new QLabel(text("FolderText", "Current Folder for Scans"), folderGroup);
  folderLabel->setBuddy(folder_);
  folderGrid->addWidget(folderLabel, 2, 0, 1, 2);
  folderGrid->addWidget(folder_, 3, 0);
  folderGrid->addWidget(browse_, 3, 1);
  folderGrid->addWidget(subfolder_, 4, 0, 1, 2);
  folderGrid->addWidget(subfolderFormats_, 5, 0, 1, 2);
  folderGrid->setColumnStretch(0, 1);

  auto* nameGroup = new QGroupBox(text("NameText", "Naming"), this);
  auto* nameGrid = new QGridLayout(nameGroup);
  nameGrid->addWidget(fileName_, 0, 0);
  nameGrid->addWidget(naming_, 0, 1);
  nameGrid->addWidget(selectName_, 1, 0, 1, 2);
  nameGrid->setColumnStretch(0, 1);

  body()->addLayout(grid);
  body()->addWidget(folderGroup);
  body()->addWidget(nameGroup);
  body()->addStretch(1);

  for (const auto& scan : context.profiles.ScanSettingList()) profiles_->addItem(QString::fromStdString(scan->title));
  loadFields();

  connect(profiles_, &QComboBox::activated, this, &CAdv1Dlg::profileChosen);
  connect(destinations_, &QComboBox::activated, this, &CAdv1Dlg::destinationChosen);
  connect(formats_, &QComboBox::activated, this, &CAdv1Dlg::formatChosen);
  connect(formatProperties_, &QPushButton::clicked, this, &CAdv1Dlg::openFormatProperties);
  connect(destinationProperties_, &QPushButton::clicked, this, &CAdv1Dlg::openDestinationProperties);
  connect(browse_, &QPushButton::clicked, this, &CAdv1Dlg::browseFolder);
  connect(selectFolder_, &QCheckBox::toggled, this, &CAdv1Dlg::followFolderBoxes);
  connect(subfolder_, &QCheckBox::toggled, this, &CAdv1Dlg::followFolderBoxes);
  connect(folder_, &QLineEdit::textChanged, this, [this] { button().id.clear(); });
  connect(naming_, &QPushButton::clicked, this, [this] {
    if (context_.dialogs.namingMenu) context_.dialogs.namingMenu(*naming_, *fileName_);
  });
}

// Opening, and again after another profile is chosen.
void CAdv1Dlg::loadFields() {
  const CButtonSetting& record = button();
  const CScanSetting& scan = profile();
  nameField()->setText(QString::fromStdString(record.title));
  {
    // The dialog's own filling keeps a chosen cloud folder's identifier.
    const QSignalBlocker quiet(folder_);
    folder_->setText(QString::fromStdString(record.imageFolder));
  }
  fileName_->setText(QString::fromStdString(record.imageName));
  profiles_->setCurrentIndex(profiles_->findText(QString::fromStdString(scan.title), Qt::MatchExactly));
  fillDestinations();
  selectButtonDestination();
  refreshDestinationControls();
  if (formats_->currentIndex() < 0) {
    ocr_->setEnabled(true);
    const int language = prefixMatch(ocr_, scan.ocrLanguage);
    ocr_->setCurrentIndex(language >= 0 ? language : 0);
  }
  const bool cloud = wizard::destinationKind(record.applicationSetting) == wizard::DestinationKind::Cloud;
  selectFolder_->setChecked(record.selectFolder == 1);
  remember_->setChecked(record.selectFolder == 1 && !cloud && record.rememberLastFolder != 0);
  subfolder_->setChecked(scan.createSubfolder != 0);
  subfolderFormats_->setCurrentIndex(std::clamp(record.subfolderName, 0, 5));
  selectName_->setChecked(record.selectName == 1);
  followFolderBoxes();
}

CApplicationSetting* CAdv1Dlg::shownDestination() const {
  const int index = destinations_->currentIndex();
  if (index < 0 || index >= static_cast<int>(context_.profiles.ApplicationSettingList().size())) return nullptr;
  return context_.profiles.ApplicationSettingList()[static_cast<std::size_t>(index)].get();
}

void CAdv1Dlg::fillDestinations() {
  const QSignalBlocker quiet(destinations_);
  destinations_->clear();
  for (const auto& destination : context_.profiles.ApplicationSettingList()) {
    destinations_->addItem(QString::fromStdString(destination->title));
  }
  destinations_->addItem(text("AddText", "Add..."));
}

void CAdv1Dlg::selectButtonDestination() {
  const QSignalBlocker quiet(destinations_);
  const CApplicationSetting* destination = button().applicationSetting;
  destinations_->setCurrentIndex(destination ? prefixMatch(destinations_, destination->title) : -1);
}

void CAdv1Dlg::refreshDestinationControls() {
  CButtonSetting& record = button();
  record.applicationSetting = shownDestination();
  const wizard::DestinationKind kind = wizard::destinationKind(record.applicationSetting);
  const wizard::DestinationControls controls = wizard::destinationControls(kind);
  if (kind == wizard::DestinationKind::None) {
    formats_->setEnabled(false);
    return;
  }
  destinationProperties_->setEnabled(controls.destinationProperties);
  folder_->setEnabled(controls.folder);
  browse_->setEnabled(controls.folder && static_cast<bool>(context_.dialogs.browseFolder));
  selectFolder_->setEnabled(controls.selectAtScanTime);
  subfolder_->setEnabled(controls.subfolder);
  if (controls.clearFolder) folder_->clear();
  fillFormats();
  formats_->setEnabled(controls.formatList);
  formatProperties_->setEnabled(!controls.onlyBmp && record.fileFormat == format::kJpeg &&
                                static_cast<bool>(context_.dialogs.jpegQuality));
  ocr_->setEnabled(false);
  ocr_->setCurrentIndex(0);
  followFolderBoxes();
}

void CAdv1Dlg::fillFormats() {
  CButtonSetting& record = button();
  const QSignalBlocker quiet(formats_);
  formats_->clear();
  for (const int code : wizard::offeredFormats(record.applicationSetting)) formats_->addItem(formatText(code), code);
  int selected = formats_->findData(record.fileFormat);
  if (selected < 0 && formats_->count() > 0) selected = 0;
  formats_->setCurrentIndex(selected);
  if (selected >= 0) record.fileFormat = formats_->currentData().toInt();
}

void CAdv1Dlg::destinationChosen(int index) {
  CButtonSetting& record = button();
  if (index == destinations_->count() - 1) {  // "Add..."
    std::optional<WizardDialogs::Destination> added;
    if (context_.dialogs.destinationProperties) added = context_.dialogs.destinationProperties(this, {});
    fillDestinations();
    if (added) {
      const QSignalBlocker quiet(destinations_);
      destinations_->setCurrentIndex(destinations_->findText(QString::fromStdString(added->name)));
      record.fileFormat = added->defaultFormat;
    } else {
      selectButtonDestination();
    }
    refreshDestinationControls();
    return;
  }
  CApplicationSetting* chosen = shownDestination();
  record.applicationSetting = chosen;
  if (chosen) {
    record.fileFormat = chosen->defaultFormat;
    folder_->setText(QString::fromStdString(chosen->defaultFolder));
  }
  refreshDestinationControls();
  if (formats_->currentIndex() >= 0) {
    record.fileFormatProperty = wizard::formatPropertyForDestination(formats_->currentData().toInt(),
                                                                     record.fileFormatProperty);
  }
}

void CAdv1Dlg::formatChosen() {
  CButtonSetting& record = button();
  const int code = formats_->currentData().toInt();
  record.fileFormat = code;
  record.fileFormatProperty = formatPropertyForFormat(code);
  formatProperties_->setEnabled(code == format::kJpeg && static_cast<bool>(context_.dialogs.jpegQuality));
  ocr_->setEnabled(false);
  ocr_->setCurrentIndex(0);
}

void CAdv1Dlg::profileChosen() {
  CButtonSetting& record = button();
  const std::string chosen = profiles_->currentText().toStdString();
  if (record.scanSetting && record.scanSetting->title == chosen) {
    context_.profiles.ReloadScanSetting(*record.scanSetting);
  } else if (CScanSetting* other = context_.profiles.FindScanSetting(chosen)) {
    record.scanSetting = other;
  }
  loadFields();
}

void CAdv1Dlg::openFormatProperties() {
  CButtonSetting& record = button();
  if (formats_->currentData().toInt() != format::kJpeg) {
    record.fileFormatProperty = 0;
    return;
  }
  if (auto position = context_.dialogs.jpegQuality(this, record.fileFormatProperty)) {
    record.fileFormatProperty = *position;
  }
}

void CAdv1Dlg::openDestinationProperties() {
  CButtonSetting& record = button();
  CApplicationSetting* destination = shownDestination();
  if (!destination) return;
  const WizardDialogs& dialogs = context_.dialogs;
  hide();
  if (destination->path == destination::kGoogle) {
    if (dialogs.cloudAccount) {
      if (auto id = dialogs.cloudAccount(this, record)) {
        folder_->setText(QString::fromStdString(record.imageFolder));
        record.id = *id;
      }
    } else {
      message("The cloud account dialog is not part of this version yet.");
    }
  } else if (destination->path == "FTP") {
    if (dialogs.ftp && dialogs.ftp(this, record)) folder_->setText(QString::fromStdString(record.imageFolder));
  } else if (destination->path == destination::kPrint) {
    if (dialogs.choosePrinter) {
      if (auto printer = dialogs.choosePrinter(this)) record.imageFolder = *printer;
    }
  } else if (dialogs.destinationProperties) {
    dialogs.destinationProperties(this, destination->title);
  }
  fillDestinations();
  selectButtonDestination();
  refreshDestinationControls();
  show();
}

void CAdv1Dlg::browseFolder() {
  if (wizard::destinationKind(button().applicationSetting) == wizard::DestinationKind::Cloud) {
    if (!context_.dialogs.cloudBrowse) return;
    const auto chosen = context_.dialogs.cloudBrowse(this, button(), folder_->text().toStdString());
    if (chosen.folder) folder_->setText(QString::fromStdString(*chosen.folder));  // clears the old identifier
    if (chosen.id) button().id = *chosen.id;
    return;
  }
  if (auto chosen = context_.dialogs.browseFolder(this, text("BrowseTitle", "Choose the path:"),
                                                  folder_->text().toStdString())) {
    folder_->setText(QString::fromStdString(*chosen));
  }
}

void CAdv1Dlg::followFolderBoxes() {
  const bool cloud = wizard::destinationKind(button().applicationSetting) == wizard::DestinationKind::Cloud;
  remember_->setEnabled(selectFolder_->isChecked() && selectFolder_->isEnabled() && !cloud);
  if (!selectFolder_->isChecked()) remember_->setChecked(false);
  subfolderFormats_->setEnabled(subfolder_->isChecked() && subfolder_->isEnabled());
}

void CAdv1Dlg::copyControls(bool next) {
  CButtonSetting& record = button();
  if (CScanSetting* chosen = context_.profiles.FindScanSetting(profiles_->currentText().toStdString())) {
    record.scanSetting = chosen;
  }
  CScanSetting& scan = profile();
  CApplicationSetting* destination = shownDestination();
  if (!destination && next && !context_.profiles.ApplicationSettingList().empty()) {
    destination = context_.profiles.ApplicationSettingList().front().get();
  }
  record.applicationSetting = destination;
  scan.ocrLanguage = ocr_->currentText().toStdString();
  if (formats_->currentIndex() >= 0) record.fileFormat = formats_->currentData().toInt();
  record.selectFolder = selectFolder_->isChecked() ? 1 : 0;
  record.selectName = selectName_->isChecked() ? 1 : 0;
  record.rememberLastFolder = remember_->isChecked() ? 1 : 0;
  scan.createSubfolder = subfolder_->isChecked() ? 1 : 0;
  if (subfolder_->isChecked()) record.subfolderName = subfolderFormats_->currentIndex();
  const bool printing = wizard::destinationKind(destination) == wizard::DestinationKind::Print;
  if (!(next && printing)) record.imageFolder = folder_->text().toStdString();
  record.imageName = fileName_->text().toStdString();
}

}  // namespace ostrel
