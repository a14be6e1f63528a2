#include "app/ui/wizard/adv4_page.h"

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

#include "app/core/wizard/page_rules.h"
#include "app/core/wizard/save_profile.h"
#include "app/ui/wizard/preview_panel.h"
#include "app/ui/wizard/spin_field.h"

namespace ostrel {

CAdv4Dlg::CAdv4Dlg(WizardContext& context, QWidget* parent)
    : WizardPage(context, "Adv4", "Ostrel Image Processing Configuration", "&Finish", parent) {
  CScanSetting& scan = profile();
  const int mode = scan.scanMode;

  auto* edgeGroup = new QGroupBox(this);
  edge_ = new QCheckBox(text("EdgeCleanup", "Edge Cleanup"), edgeGroup);
  edge_->setObjectName(QStringLiteral("edge"));
  edgeColour_ = new QComboBox(edgeGroup);
  edgeColour_->setObjectName(QStringLiteral("edgeColour"));
  edgeColour_->addItem(text("EdgeColor1", "White"));
  edgeColour_->addItem(text("EdgeColor2", "Black"));
  edgeSize_ = new QLineEdit(QString::number(scan.edgeCleanUpSize), edgeGroup);
  edgeSize_->setObjectName(QStringLiteral("edgeSize"));
  auto* edgeLayout = new QGridLayout(edgeGroup);
  edgeLayout->addWidget(edge_, 0, 0, 1, 3);
  edgeLayout->addWidget(edgeColour_, 1, 0);
  edgeLayout->addWidget(edgeSize_, 1, 1);
  edgeLayout->addWidget(new QLabel(text("Unit", "Pixels"), edgeGroup), 1, 2);

  background_ = new QComboBox(this);
  background_->setObjectName(QStringLiteral("background"));
  background_->addItem(text("BackColor1", "White Background"));
  background_->addItem(text("BackColor2", "Black Background"));
  background_->setCurrentIndex(scan.backgroundColor != 0 ? 1 : 0);
  auto* backgroundLabel = new QLabel(text("BackgroundText", "Background color"), this);
  backgroundLabel->setBuddy(background_);

  auto* despeckleGroup = new QGroupBox(this);
  despeckle_ = new QCheckBox(text("Despeckle", "Despeckle"), despeckleGroup);
  despeckle_->setObjectName(QStringLiteral("despeckle"));
  sensitivity_ = new QLineEdit(QString::number(scan.despeckleNum), despeckleGroup);
  sensitivity_->setObjectName(QStringLiteral("sensitivity"));
  sensitivity_->setMaxLength(4);
  range_ = new QLineEdit(QString::number(scan.despeckleRange), despeckleGroup);
  range_->setObjectName(QStringLiteral("range"));
  range_->setMaxLength(2);
  auto* despeckleLayout = new QGridLayout(despeckleGroup);
  despeckleLayout->addWidget(despeckle_, 0, 0, 1, 2);
  despeckleLayout->addWidget(new QLabel(text("Sensitivity", "Sensitivity (pixels)"), despeckleGroup), 1, 0);
  despeckleLayout->addWidget(sensitivity_, 1, 1);
  despeckleLayout->addWidget(new QLabel(text("Range", "Range (pixels)"), despeckleGroup), 2, 0);
  despeckleLayout->addWidget(range_, 2, 1);

  auto* dropoutGroup = new QGroupBox(text("DropoutGroup", "Dropout"), this);
  dropout_ = new QCheckBox(text("DropoutCheck", "Color Dropout"), dropoutGroup);
  dropout_->setObjectName(QStringLiteral("dropout"));
  dropoutList_ = new QComboBox(dropoutGroup);
  dropoutList_->setObjectName(QStringLiteral("dropoutList"));
  auto* dropoutRow = new QHBoxLayout;
  dropoutRow->addWidget(dropout_);
  dropoutRow->addWidget(dropoutList_, 1);
  auto* colourGrid = new QGridLayout;
  auto* dropoutLayout = new QVBoxLayout(dropoutGroup);
  dropoutLayout->addLayout(dropoutRow);
  dropoutLayout->addLayout(colourGrid);
  const std::pair<const char*, const char*> channels[] = {
      {"DropoutRed", "Red"}, {"DropoutGreen ", "Green"}, {"DropoutBlue", "Blue"}};
  const int values[] = {scan.dropRed, scan.dropGreen, scan.dropBlue};
  for (int c = 0; c < 3; ++c) {
    auto* spin = new SpinField(0, 255, values[c], dropoutGroup);
    spin->field()->setObjectName(QStringLiteral("dropColour%1").arg(c));
    colours_[static_cast<std::size_t>(c)] = spin;
    auto* label = new QLabel(text(channels[c].first, channels[c].second), dropoutGroup);
    label->setBuddy(spin->field());
    colourGrid->addWidget(label, 0, c);
    colourGrid->addWidget(spin, 1, c);
    colourGrid->setColumnStretch(c, 1);
    connect(spin->field(), &QLineEdit::textEdited, this, &CAdv4Dlg::refreshPreview);
    connect(spin, &SpinField::stepped, this, &CAdv4Dlg::refreshPreview);
  }

  auto* blankGroup = new QGroupBox(this);
  blank_ = new QCheckBox(text("BlankRemove", "Blank Page Removal"), blankGroup);
  blank_->setObjectName(QStringLiteral("blank"));
  pageSensitivity_ = new SpinField(0, 100, scan.pageSensitivity, blankGroup);
  pageSensitivity_->field()->setObjectName(QStringLiteral("pageSensitivity"));
  auto* blankLayout = new QGridLayout(blankGroup);
  blankLayout->addWidget(blank_, 0, 0, 1, 2);
  blankLayout->addWidget(new QLabel(text("PageSensitivity", "Page Sensitivity"), blankGroup), 1, 0);
  blankLayout->addWidget(pageSensitivity_, 1, 1);

  saveProfile_ = new QPushButton(text("Profile", "Save the profile"), this);
  saveProfile_->setObjectName(QStringLiteral("saveProfile"));
  saveProfile_->setAutoDefault(false);
  saveProfile_->setEnabled(static_cast<bool>(context.dialogs.askProfileName));
  preview_ = new PreviewPanel(context, text("PreviewButton", "Preview Scan"), this);

  auto* backgroundRow = new QHBoxLayout;
  backgroundRow->addWidget(backgroundLabel);
  backgroundRow->addWidget(background_, 1);
  auto* settings = new QVBoxLayout;
  settings->addWidget(edgeGroup);
  settings->addLayout(backgroundRow);
  settings->addWidget(despeckleGroup);
  settings->addWidget(dropoutGroup);
  settings->addWidget(blankGroup);
  auto* saveRow = new QHBoxLayout;
  saveRow->addWidget(saveProfile_);
  saveRow->addStretch(1);
  settings->addLayout(saveRow);
  settings->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(settings, 3);
  columns->addWidget(preview_, 2);
  body()->addLayout(columns);

  // Opening.
  edge_->setChecked(scan.edgeCleanUp != 0);
  edgeColour_->setCurrentIndex(scan.edgeCleanUpColor == 1 ? 1 : 0);
  despeckle_->setChecked(scan.checkDespeckle != 0);
  despeckle_->setEnabled(wizard::despeckleOffered(mode));
  blank_->setChecked(scan.blankPageRemove != 0);
  if (wizard::dropoutOffered(mode)) {
    dropout_->setEnabled(true);
    dropout_->setChecked(scan.dropout != 0);
    if (scan.dropout != 0) {
      fillDropoutList();
      dropoutList_->setCurrentIndex(std::clamp(scan.dropout, 1, 5) - 1);
    }
  } else {
    dropout_->setEnabled(false);
  }
  preview_->scanButton()->setEnabled(wizard::dropoutOffered(mode));
  followBoxes();
  refreshPreview();

  for (QCheckBox* box : {edge_, despeckle_, blank_}) connect(box, &QCheckBox::toggled, this, &CAdv4Dlg::followBoxes);
  connect(dropout_, &QCheckBox::toggled, this, &CAdv4Dlg::dropoutToggled);
  connect(dropoutList_, &QComboBox::currentIndexChanged, this, &CAdv4Dlg::dropoutChosen);
  connect(sensitivity_, &QLineEdit::editingFinished, this, [this] {
    if (auto fixed = wizard::despeckleSensitivityOnLeave(sensitivity_->text().toStdString())) {
      sensitivity_->setText(QString::fromStdString(fixed->sensitivity));
      range_->setText(QString::fromStdString(fixed->range));
    }
  });
  connect(range_, &QLineEdit::editingFinished, this, [this] {
    if (auto fixed =
            wizard::despeckleRangeOnLeave(sensitivity_->text().toStdString(), range_->text().toStdString())) {
      sensitivity_->setText(QString::fromStdString(fixed->sensitivity));
      range_->setText(QString::fromStdString(fixed->range));
    }
  });
  connect(preview_->scanButton(), &QPushButton::clicked, this, [this] {
    const CScanSetting& stored = profile();
    preview_->scan(stored.width, stored.height, text("Message1", "No device found").toStdString(),
                   text("MessageBusy",
                        "The scanner is busy with another job. Try the preview again when it has finished.")
                       .toStdString());
  });
  connect(saveProfile_, &QPushButton::clicked, this, &CAdv4Dlg::saveAsProfile);
}

QLineEdit* CAdv4Dlg::pageSensitivity() const { return pageSensitivity_->field(); }

QLineEdit* CAdv4Dlg::dropColour(int channel) const { return colours_[static_cast<std::size_t>(channel)]->field(); }

void CAdv4Dlg::fillDropoutList() {
  const QSignalBlocker quiet(dropoutList_);
  dropoutList_->clear();
  const std::pair<const char*, const char*> entries[] = {{"Dropout1", "None"},
                                                          {"Dropout2", "Remove Red"},
                                                          {"Dropout3", "Remove Green"},
                                                          {"Dropout4", "Remove Blue"},
                                                          {"Dropout5", "Custom"}};
  for (const auto& [key, english] : entries) dropoutList_->addItem(text(key, english));
}

// What each box governs follows it; the dropout list and colours follow the
// box and the chosen entry.
void CAdv4Dlg::followBoxes() {
  edgeColour_->setEnabled(edge_->isChecked());
  edgeSize_->setEnabled(edge_->isChecked());
  const bool despeckle = despeckle_->isEnabled() && despeckle_->isChecked();
  sensitivity_->setEnabled(despeckle);
  range_->setEnabled(despeckle);
  pageSensitivity_->setEnabled(blank_->isChecked());
  const bool dropout = dropout_->isEnabled() && dropout_->isChecked();
  dropoutList_->setEnabled(dropout);
  const bool custom = dropout && dropoutList_->currentIndex() == 4;
  for (SpinField* colour : colours_) colour->setEnabled(custom);
}

void CAdv4Dlg::dropoutToggled(bool) {
  fillDropoutList();
  CScanSetting& scan = profile();
  scan.dropout = wizard::dropoutOnToggle(scan.dropout);
  if (scan.dropout != 0) dropoutList_->setCurrentIndex(0);
  followBoxes();
  refreshPreview();
}

void CAdv4Dlg::dropoutChosen(int) {
  followBoxes();
  refreshPreview();
}

void CAdv4Dlg::refreshPreview() {
  const CScanSetting& scan = profile();
  wizard::PreviewValues values;
  values.brightness = scan.brightness + 100;
  values.contrast = scan.contrast + 100;
  values.scanMode = std::min(scan.scanMode, 2);
  values.threshold = scan.threshold;
  // The preview takes the profile's code for the entry, as at opening.
  values.dropout = dropout_->isChecked() && dropoutList_->currentIndex() >= 0 ? dropoutList_->currentIndex() + 1 : 0;
  values.dropRed = colours_[0]->position();
  values.dropGreen = colours_[1]->position();
  values.dropBlue = colours_[2]->position();
  values.areaLeft = scan.xOffset;
  values.areaTop = scan.yOffset;
  values.areaWidth = scan.automatic ? context_.scanner.maxWidth : scan.width;
  values.areaHeight = scan.automatic ? context_.scanner.maxLength : scan.height;
  if (values != preview_->window()->values()) preview_->window()->setValues(values);
}

void CAdv4Dlg::saveAsProfile() {
  const std::optional<std::string> name = context_.dialogs.askProfileName(this);
  if (!name || name->empty()) return;
  if (context_.profiles.FindScanSetting(*name)) {
    message(text("Message2", "This setting has already exists.").toStdString());
    return;
  }
  // The new profile is what the user sees, this page's controls included.
  copyControls(false);
  if (wizard::saveProfileAs(context_.profiles, button(), *name) == wizard::SaveProfileResult::NotWritten) {
    message("The profile \"" + *name + "\" could not be written to " + context_.profiles.scanSettingPath() + ".");
  }
}

void CAdv4Dlg::copyControls(bool next) {
  CScanSetting& scan = profile();
  scan.edgeCleanUpSize = edgeSize_->text().toInt();
  scan.edgeCleanUp = edge_->isChecked() ? 1 : 0;
  scan.edgeCleanUpColor = edgeColour_->currentIndex();
  scan.backgroundColor = background_->currentIndex();
  scan.blankPageRemove = blank_->isChecked() ? 1 : 0;
  scan.pageSensitivity = pageSensitivity_->position();
  scan.checkDespeckle = despeckle_->isChecked() ? 1 : 0;
  scan.despeckleNum = sensitivity_->text().toInt();
  scan.despeckleRange = range_->text().toInt();
  scan.dropout = dropout_->isChecked() ? dropoutList_->currentIndex() + 1 : 0;
  if (scan.dropout == 5) {
    scan.dropRed = colours_[0]->position();
    scan.dropGreen = colours_[1]->position();
    scan.dropBlue = colours_[2]->position();
  }
  if (!next) return;
  if (!context_.profiles.SaveButtonSetting(button())) {
    message("The button could not be saved to " + context_.profiles.buttonSettingPath() + ".");
  }
}

}  // namespace ostrel
