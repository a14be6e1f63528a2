#include "app/ui/wizard/adv3_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "app/core/wizard/page_rules.h"

namespace ostrel {

namespace {

void setGroupEnabled(QButtonGroup* group, bool enabled) {
  for (QAbstractButton* button : group->buttons()) button->setEnabled(enabled);
}

void checkOrClear(QButtonGroup* group, int id) {
  if (QAbstractButton* button = group->button(id)) {
    button->setChecked(true);
  } else if (QAbstractButton* checked = group->checkedButton()) {
    group->setExclusive(false);
    checked->setChecked(false);
    group->setExclusive(true);
  }
}

}  // namespace

CAdv3Dlg::CAdv3Dlg(WizardContext& context, QWidget* parent)
    : WizardPage(context, "Adv3", "Ostrel Feeding Configuration", "&Next", parent) {
  const CScanSetting& scan = profile();
  const ScannerConfig& scanner = context.scanner;
  const bool duplex = scanner.hasFeeder && scanner.hasDuplex;

  auto* orientGroup = new QGroupBox(text("OrientGroup", "Orientation"), this);
  autoOrient_ = new QCheckBox(text("AutoOrient", "Auto-Orient to Text"), orientGroup);
  autoOrient_->setObjectName(QStringLiteral("autoOrient"));
  auto* rotationGrid = new QGridLayout;
  rotationGrid->addWidget(new QLabel(text("RotationText", "Rotation"), orientGroup), 0, 0, 1, 2);
  rotationGrid->addWidget(new QLabel(text("FrontText", "Front"), orientGroup), 1, 0);
  rotationGrid->addWidget(new QLabel(text("BackText", "Back"), orientGroup), 1, 1);
  const std::pair<const char*, const char*> degrees[] = {
      {"Degree1", "None"}, {"Degree2", "90 degrees left"}, {"Degree3", "90 degrees right"}, {"Degree4", "180 degrees"}};
  for (int side = 0; side < 2; ++side) {
    rotation_[static_cast<std::size_t>(side)] = new QButtonGroup(this);
    for (int value = 0; value < 4; ++value) {
      // The back's first button has a key of its own, with a trailing blank.
      const char* key = side == 1 && value == 0 ? "Degree1 " : degrees[value].first;
      auto* radio = new QRadioButton(text(key, degrees[value].second), orientGroup);
      radio->setObjectName(QStringLiteral("rotation%1_%2").arg(side).arg(value));
      rotation_[static_cast<std::size_t>(side)]->addButton(radio, value);
      rotationGrid->addWidget(radio, 2 + value, side);
    }
  }
  auto* orientLayout = new QVBoxLayout(orientGroup);
  orientLayout->addWidget(autoOrient_);
  orientLayout->addLayout(rotationGrid);

  auto* stitchGroup = new QGroupBox(text("StitchGroup", "Stitch front and back"), this);
  auto* stitchLayout = new QVBoxLayout(stitchGroup);
  stitch_ = new QButtonGroup(this);
  const std::pair<const char*, const char*> stitches[] = {
      {"Stitch1", "None"}, {"Stitch2", "Side by Side"}, {"Stitch3", "Top and Bottom"}};
  for (int value = 0; value < 3; ++value) {
    auto* radio = new QRadioButton(text(stitches[value].first, stitches[value].second), stitchGroup);
    radio->setObjectName(QStringLiteral("stitch%1").arg(value));
    stitch_->addButton(radio, value);
    stitchLayout->addWidget(radio);
  }
  stitchLayout->addStretch(1);

  auto* batchGroup = new QGroupBox(text("BatchGroup", "Batching"), this);
  auto* batchLayout = new QVBoxLayout(batchGroup);
  batch_ = new QButtonGroup(this);
  imageCount_ = new QLineEdit(QString::number(scan.batchPageNum), batchGroup);
  imageCount_->setObjectName(QStringLiteral("imageCount"));
  imageCount_->setMaximumWidth(imageCount_->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
  const std::pair<const char*, const char*> batches[] = {{"Batch1", "1 output file per stack"},
                                                          {"Batch2", "Create new file every"},
                                                          {"Batch3", "Use a blank page to separate output files"},
                                                          {"Batch4", "Use a barcode to separate output files"}};
  for (int value = 0; value < 4; ++value) {
    auto* radio = new QRadioButton(text(batches[value].first, batches[value].second), batchGroup);
    radio->setObjectName(QStringLiteral("batch%1").arg(value));
    batch_->addButton(radio, value);
    if (value == 1) {
      auto* row = new QHBoxLayout;
      row->addWidget(radio);
      row->addWidget(imageCount_);
      row->addWidget(new QLabel(text("Batch21", "images"), batchGroup));
      row->addStretch(1);
      batchLayout->addLayout(row);
    } else {
      batchLayout->addWidget(radio);
    }
  }
  morePages_ = new QCheckBox(text("MorePage", "Ask for more pages when empty"), this);
  morePages_->setObjectName(QStringLiteral("morePages"));

  auto* feedGroup = new QGroupBox(text("MultiFeedGroup", "Multi-Feed Detection"), this);
  byLength_ = new QCheckBox(text("MultiFeed1", "Detect by Length"), feedGroup);
  byLength_->setObjectName(QStringLiteral("byLength"));
  length_ = new QLineEdit(feedGroup);
  length_->setObjectName(QStringLiteral("length"));
  length_->setMaximumWidth(length_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
  ultrasonic_ = new QCheckBox(text("MultiFeed2", "Ultrasonic Detection"), feedGroup);
  ultrasonic_->setObjectName(QStringLiteral("ultrasonic"));
  stopAfterMisfeed_ = new QCheckBox(text("MultiFeed3", "Stop Scanning after Misfeed"), feedGroup);
  stopAfterMisfeed_->setObjectName(QStringLiteral("stopAfterMisfeed"));
  audio_ = new QCheckBox(text("MultiFeed4", "Audible Multi-Feed Alert"), feedGroup);
  audio_->setObjectName(QStringLiteral("audio"));
  auto* feedLayout = new QGridLayout(feedGroup);
  auto* lengthRow = new QHBoxLayout;
  lengthRow->addWidget(byLength_);
  lengthRow->addWidget(length_);
  lengthRow->addWidget(new QLabel(text("MultiFeed11", "inch"), feedGroup));
  lengthRow->addStretch(1);
  feedLayout->addLayout(lengthRow, 0, 0);
  feedLayout->addWidget(ultrasonic_, 1, 0);
  feedLayout->addWidget(stopAfterMisfeed_, 2, 0);
  feedLayout->addWidget(audio_, 3, 0);

  auto* left = new QVBoxLayout;
  left->addWidget(orientGroup);
  left->addWidget(stitchGroup);
  auto* right = new QVBoxLayout;
  right->addWidget(batchGroup);
  right->addWidget(morePages_);
  right->addWidget(feedGroup);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left, 1);
  columns->addLayout(right, 1);
  body()->addLayout(columns);

  // Opening.
  autoOrient_->setChecked(scan.autoText != 0);
  checkOrClear(rotation_[0], scan.rotationFront >= 0 && scan.rotationFront <= 3 ? scan.rotationFront : 0);
  if (duplex) {
    checkOrClear(rotation_[1], scan.rotationRear >= 0 && scan.rotationRear <= 3 ? scan.rotationRear : 0);
  }
  setGroupEnabled(rotation_[0], !autoOrient_->isChecked());
  setGroupEnabled(rotation_[1], duplex && !autoOrient_->isChecked());
  if (duplex) {
    checkOrClear(stitch_, scan.stitch == 1 || scan.stitch == 2 ? scan.stitch : 0);
  }
  setGroupEnabled(stitch_, duplex);
  checkOrClear(batch_, scan.batchMode >= 0 && scan.batchMode <= 3 ? scan.batchMode : 0);
  morePages_->setChecked(button().morePages != 0);
  if (scanner.hasUltrasonic) {
    ultrasonic_->setEnabled(true);
    ultrasonic_->setChecked(scan.lengthCheck != 0);
    byLength_->setEnabled(false);
    length_->setEnabled(false);
    length_->setText(QStringLiteral("0.0"));
  } else {
    ultrasonic_->setEnabled(false);
    byLength_->setChecked(scan.lengthCheck != 0);
    char inches[32];
    std::snprintf(inches, sizeof inches, "%.2f", scan.lengthCheck / 300.0);
    length_->setText(QString::fromLatin1(inches));
  }
  stopAfterMisfeed_->setChecked(scan.continueScan == 0);
  audio_->setChecked(scan.audio != 0);

  connect(autoOrient_, &QCheckBox::toggled, this, &CAdv3Dlg::autoOrientToggled);
  connect(imageCount_, &QLineEdit::textChanged, this, [this](const QString& typed) {
    if (auto replaced = wizard::imageCountOnChange(typed.toStdString())) {
      imageCount_->setText(QString::fromStdString(*replaced));
    }
  });
}

QRadioButton* CAdv3Dlg::rotation(int side, int value) const {
  return static_cast<QRadioButton*>(rotation_[static_cast<std::size_t>(side)]->button(value));
}

void CAdv3Dlg::autoOrientToggled(bool checked) {
  for (QButtonGroup* group : rotation_) {
    setGroupEnabled(group, !checked);
    // Back to "None" on both sides, the back too on a simplex scanner.
    if (!checked) group->button(0)->setChecked(true);
  }
}

void CAdv3Dlg::copyControls(bool) {
  CScanSetting& scan = profile();
  CButtonSetting& record = button();
  scan.autoText = autoOrient_->isChecked() ? 1 : 0;
  if (rotation_[0]->checkedId() >= 0) scan.rotationFront = rotation_[0]->checkedId();
  if (rotation_[1]->checkedId() >= 0) scan.rotationRear = rotation_[1]->checkedId();
  scan.stitch = std::max(0, stitch_->checkedId());
  if (batch_->checkedId() >= 0) scan.batchMode = batch_->checkedId();
  if (scan.batchMode == 1) scan.batchPageNum = imageCount_->text().toInt();
  record.morePages = morePages_->isChecked() ? 1 : 0;
  const bool ultrasonic = context_.scanner.hasUltrasonic;
  scan.lengthCheck = wizard::lengthCheckOnNext(ultrasonic, ultrasonic ? ultrasonic_->isChecked() : byLength_->isChecked(),
                                               scan.lengthCheck, length_->text().toStdString());
  scan.audio = audio_->isChecked() ? 1 : 0;
  scan.continueScan = stopAfterMisfeed_->isChecked() ? 0 : 1;
}

}  // namespace ostrel
