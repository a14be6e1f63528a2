#include "app/ui/wizard/adv2_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "app/core/wizard/page_rules.h"
#include "app/scan/twain/paper_sizes.h"
#include "app/ui/wizard/preview_panel.h"
#include "app/ui/wizard/spin_field.h"

namespace ostrel {

using wizard::Field;
using wizard::Unit;

namespace {

constexpr const char* kScanModes[] = {"Black and White", "Grayscale", "Color", "Automatic Color"};
constexpr std::array kFields = {Field::Width, Field::Height, Field::XOffset, Field::YOffset};

std::string textOf(const QLineEdit* field) { return field->text().toStdString(); }

}  // namespace

CAdv2Dlg::CAdv2Dlg(WizardContext& context, QWidget* parent)
    : WizardPage(context, "Adv2", "Ostrel Scan Configuration", "&Next", parent) {
  CScanSetting& scan = profile();
  const CButtonSetting& record = button();

  scanMode_ = new QComboBox(this);
  scanMode_->setObjectName(QStringLiteral("scanMode"));
  for (const char* mode : kScanModes) scanMode_->addItem(QString::fromLatin1(mode));
  scanMode_->setCurrentIndex(std::clamp(scan.scanMode, 0, 3));

  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setObjectName(QStringLiteral("resolutionSlider"));
  slider_->setRange(wizard::kMinResolution, wizard::kMaxResolution);
  slider_->setTickInterval(50);
  slider_->setSingleStep(50);
  slider_->setPageStep(50);
  slider_->setTickPosition(QSlider::TicksBelow);
  slider_->setValue(scan.resolution);
  resolution_ = new QLineEdit(QString::number(slider_->value()), this);
  resolution_->setObjectName(QStringLiteral("resolution"));
  resolution_->setMaxLength(3);
  resolution_->setMaximumWidth(resolution_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);

  paper_ = new QComboBox(this);
  paper_->setObjectName(QStringLiteral("paperSize"));
  for (std::size_t i = 0; i < paperSizes().size(); ++i) {
    paper_->addItem(QString::fromLatin1(paperSizes()[i].name), static_cast<int>(i));
  }
  units_ = new QComboBox(this);
  units_->setObjectName(QStringLiteral("units"));
  units_->addItem(text("Inch", "Inch"));
  units_->addItem(text("Pixel", "Pixel"));
  units_->addItem(text("Millimeters", "Millimeters"));
  units_->setCurrentIndex(std::clamp(scan.paperSizeUnit, 0, 2));
  shownUnit_ = unit();

  const char* names[] = {"width", "height", "horizontalOffset", "verticalOffset"};
  for (std::size_t i = 0; i < page_.size(); ++i) {
    page_[i] = new QLineEdit(this);
    page_[i]->setObjectName(QString::fromLatin1(names[i]));
    unitLabels_[i] = new QLabel(this);
    const Field field = kFields[i];
    connect(page_[i], &QLineEdit::editingFinished, this, [this, field] { leavePageField(field); });
    connect(page_[i], &QLineEdit::textEdited, this, &CAdv2Dlg::refreshPreview);
  }

  auto gammaText = [](int position) { return QString::fromStdString(wizard::formatGamma(position)); };
  auto gammaValue = [](const QString& text) { return wizard::gammaFromText(text.toStdString()); };
  brightness_ = new SpinField(-100, 100, scan.brightness, this);
  brightness_->field()->setObjectName(QStringLiteral("brightness"));
  contrast_ = new SpinField(-100, 100, scan.contrast, this);
  contrast_->field()->setObjectName(QStringLiteral("contrast"));
  gamma_ = new SpinField(-1000, 1000, scan.gamma, this, gammaText, gammaValue);
  gamma_->field()->setObjectName(QStringLiteral("gamma"));
  colorMatch_ = new QCheckBox(text("ColorMatchText", "ColorMatch"), this);
  colorMatch_->setObjectName(QStringLiteral("colorMatch"));
  colorMatch_->setChecked(wizard::colorMatchOffered(scan.scanMode) && scan.colorMatch != 0);

  front_ = new QRadioButton(text("FrontText", "Front Side"), this);
  front_->setObjectName(QStringLiteral("front"));
  both_ = new QRadioButton(text("BothText", "Both Sides"), this);
  both_->setObjectName(QStringLiteral("both"));
  const bool duplex = context.scanner.hasFeeder && context.scanner.hasDuplex;
  both_->setEnabled(duplex);
  (duplex && record.scanSide == 2 ? both_ : front_)->setChecked(true);

  preview_ = new PreviewPanel(context, text("PreviewText", "Preview Scan"), this);

  // Layout: the settings on the left, the preview on the right.
  auto label = [this](const char* key, const char* english, QWidget* buddy) {
    auto* result = new QLabel(text(key, english), this);
    result->setBuddy(buddy);
    return result;
  };
  auto* top = new QGridLayout;
  top->addWidget(label("ScanModeText", "Scan Mode", scanMode_), 0, 0);
  top->addWidget(scanMode_, 0, 1, 1, 2);
  top->addWidget(label("ResolutionText", "Resolution", resolution_), 1, 0);
  top->addWidget(slider_, 1, 1);
  top->addWidget(resolution_, 1, 2);
  top->setColumnStretch(1, 1);

  auto* pageGroup = new QGroupBox(text("PageGroupText", "Page Size and Location"), this);
  auto* pageGrid = new QGridLayout(pageGroup);
  pageGrid->addWidget(label("PageText", "Page", paper_), 0, 0);
  pageGrid->addWidget(paper_, 0, 1, 1, 2);
  pageGrid->addWidget(label("UnitText", "Units", units_), 1, 0);
  pageGrid->addWidget(units_, 1, 1, 1, 2);
  const std::pair<const char*, const char*> fieldTexts[] = {
      {"WidthText", "Width"}, {"HeightText", "Height"}, {"HorizontalText", "Horizontal Offset"},
      {"VerticalText", "Vertical Offset"}};
  for (std::size_t i = 0; i < page_.size(); ++i) {
    const int row = 2 + static_cast<int>(i);
    pageGrid->addWidget(label(fieldTexts[i].first, fieldTexts[i].second, page_[i]), row, 0);
    pageGrid->addWidget(page_[i], row, 1);
    pageGrid->addWidget(unitLabels_[i], row, 2);
  }
  pageGrid->setColumnStretch(1, 1);

  auto* colourGroup = new QGroupBox(text("ColorGroupText ", "Color Controls"), this);
  auto* colourGrid = new QGridLayout(colourGroup);
  colourGrid->addWidget(label("BrightnessText", "Brightness", brightness_->field()), 0, 0);
  colourGrid->addWidget(brightness_, 0, 1);
  colourGrid->addWidget(label("ContrastText", "Contrast", contrast_->field()), 1, 0);
  colourGrid->addWidget(contrast_, 1, 1);
  colourGrid->addWidget(label("GammaText", "Gamma", gamma_->field()), 2, 0);
  colourGrid->addWidget(gamma_, 2, 1);
  colourGrid->addWidget(colorMatch_, 3, 0, 1, 2);
  colourGrid->setColumnStretch(1, 1);

  auto* sideGroup = new QGroupBox(text("ScanSideText", "Scan which side"), this);
  auto* sideRow = new QHBoxLayout(sideGroup);
  sideRow->addWidget(front_);
  sideRow->addWidget(both_);
  sideRow->addStretch(1);

  auto* settings = new QVBoxLayout;
  settings->addLayout(top);
  settings->addWidget(pageGroup);
  settings->addWidget(colourGroup);
  settings->addWidget(sideGroup);
  settings->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(settings, 3);
  columns->addWidget(preview_, 2);
  body()->addLayout(columns);

  // Opening: paper size and fields.
  if (scan.automatic != 0 || scan.paperSize == kPaperAutomatic) {
    paper_->setCurrentIndex(kPaperAutomatic);
    for (QLineEdit* field : page_) field->setText(QStringLiteral("AUTO"));
  } else {
    paper_->setCurrentIndex(std::clamp(scan.paperSize, 0, static_cast<int>(paperSizes().size()) - 1));
    showArea({scan.width, scan.height, scan.xOffset, scan.yOffset});
  }
  for (QLineEdit* field : page_) field->setEnabled(paper_->currentIndex() == kPaperCustom);
  setUnitLabels();
  applyModeRule();

  connect(slider_, &QSlider::valueChanged, this, [this](int value) {
    const QSignalBlocker quiet(resolution_);
    resolution_->setText(QString::number(value));
  });
  connect(resolution_, &QLineEdit::textEdited, this, [this](const QString& typed) {
    const QSignalBlocker quiet(slider_);
    slider_->setValue(wizard::resolutionFromText(typed.toStdString()));
    refreshPreview();
  });
  connect(resolution_, &QLineEdit::editingFinished, this,
          [this] { resolution_->setText(QString::number(currentResolution())); });
  connect(scanMode_, &QComboBox::currentIndexChanged, this, [this] {
    applyModeRule();
    refreshPreview();
  });
  connect(colorMatch_, &QCheckBox::toggled, this, &CAdv2Dlg::applyModeRule);
  connect(paper_, &QComboBox::currentIndexChanged, this, &CAdv2Dlg::paperChosen);
  connect(units_, &QComboBox::currentIndexChanged, this, &CAdv2Dlg::unitChosen);
  for (SpinField* tone : {brightness_, contrast_}) {
    connect(tone->field(), &QLineEdit::textEdited, this, &CAdv2Dlg::refreshPreview);
    connect(tone, &SpinField::stepped, this, &CAdv2Dlg::refreshPreview);
    connect(tone->field(), &QLineEdit::editingFinished, this, [this, tone] {
      if (auto replaced = wizard::toneFieldOnLeave(textOf(tone->field()))) {
        tone->field()->setText(QString::fromStdString(*replaced));
        refreshPreview();
      }
    });
  }
  connect(preview_->scanButton(), &QPushButton::clicked, this, &CAdv2Dlg::previewScan);
  refreshPreview();
}

QLineEdit* CAdv2Dlg::brightness() const { return brightness_->field(); }
QLineEdit* CAdv2Dlg::contrast() const { return contrast_->field(); }
QLineEdit* CAdv2Dlg::gamma() const { return gamma_->field(); }

int CAdv2Dlg::currentResolution() const { return wizard::resolutionFromText(textOf(resolution_)); }

Unit CAdv2Dlg::unit() const { return wizard::unitFromIndex(units_->currentIndex()); }

void CAdv2Dlg::applyModeRule() {
  const int mode = scanMode_->currentIndex();
  colorMatch_->setEnabled(wizard::colorMatchOffered(mode));
  const bool tone = wizard::toneControlsEnabled(mode, colorMatch_->isChecked());
  brightness_->setEnabled(tone);
  contrast_->setEnabled(tone);
  gamma_->setEnabled(false);
}

void CAdv2Dlg::showArea(const wizard::PageArea& area) {
  const int dpi = currentResolution();
  const int values[] = {area.width, area.height, area.xOffset, area.yOffset};
  for (std::size_t i = 0; i < page_.size(); ++i) {
    page_[i]->setText(QString::fromStdString(wizard::formatLength(values[i], unit(), dpi)));
  }
}

void CAdv2Dlg::setUnitLabels() {
  const QString label = unit() == Unit::Millimetre ? QStringLiteral("mm") : units_->currentText();
  for (QLabel* unitLabel : unitLabels_) unitLabel->setText(label);
}

void CAdv2Dlg::paperChosen(int index) {
  if (index == kPaperAutomatic) {
    for (QLineEdit* field : page_) {
      field->setText(QStringLiteral("AUTO"));
      field->setEnabled(false);
    }
  } else if (index == kPaperCustom) {
    for (QLineEdit* field : page_) field->setEnabled(true);
    if (wizard::parseLength(textOf(pageField(Field::Width)), unit(), currentResolution()) == 0) {
      const wizard::CustomFill fill = wizard::customFill(context_.scanner, unit(), currentResolution());
      pageField(Field::Width)->setText(QString::fromStdString(fill.width));
      pageField(Field::Height)->setText(QString::fromStdString(fill.height));
      pageField(Field::XOffset)->setText(QString::fromStdString(fill.xOffset));
      pageField(Field::YOffset)->setText(QString::fromStdString(fill.yOffset));
    }
  } else {
    for (QLineEdit* field : page_) field->setEnabled(false);
    showArea(wizard::fixedPaperArea(index, context_.scanner));
  }
  refreshPreview();
}

void CAdv2Dlg::unitChosen(int) {
  const Unit old = shownUnit_;
  shownUnit_ = unit();
  if (paper_->currentIndex() != kPaperAutomatic) {
    const int dpi = currentResolution();
    for (QLineEdit* field : page_) {
      const int length = wizard::parseLength(textOf(field), old, dpi);
      field->setText(QString::fromStdString(wizard::formatLength(length, shownUnit_, dpi)));
    }
  }
  setUnitLabels();
}

void CAdv2Dlg::leavePageField(Field field) {
  if (paper_->currentIndex() != kPaperCustom) return;
  QLineEdit* edit = pageField(field);
  if (auto replaced = wizard::fieldOnLeave(field, textOf(edit), unit(), currentResolution(), context_.scanner)) {
    edit->setText(QString::fromStdString(*replaced));
    refreshPreview();
  }
}

void CAdv2Dlg::refreshPreview() {
  wizard::PreviewValues values = preview_->window()->values();
  const CScanSetting& scan = profile();
  values.brightness = brightness_->position() + 100;
  values.contrast = contrast_->position() + 100;
  values.scanMode = std::min(scanMode_->currentIndex(), 2);
  values.threshold = scan.threshold;
  values.dropout = scan.dropout;
  values.dropRed = scan.dropRed;
  values.dropGreen = scan.dropGreen;
  values.dropBlue = scan.dropBlue;
  const int dpi = currentResolution();
  if (paper_->currentIndex() == kPaperAutomatic) {
    // The scanner finds the sheet: the whole scan area may be used.
    values.areaLeft = values.areaTop = 0;
    values.areaWidth = context_.scanner.maxWidth;
    values.areaHeight = context_.scanner.maxLength;
  } else {
    values.areaWidth = wizard::parseLength(textOf(pageField(Field::Width)), unit(), dpi);
    values.areaHeight = wizard::parseLength(textOf(pageField(Field::Height)), unit(), dpi);
    values.areaLeft = wizard::parseLength(textOf(pageField(Field::XOffset)), unit(), dpi);
    values.areaTop = wizard::parseLength(textOf(pageField(Field::YOffset)), unit(), dpi);
  }
  if (values != preview_->window()->values()) preview_->window()->setValues(values);
}

void CAdv2Dlg::previewScan() {
  const int dpi = currentResolution();
  const int width = wizard::parseLength(textOf(pageField(Field::Width)), unit(), dpi);
  const int height = wizard::parseLength(textOf(pageField(Field::Height)), unit(), dpi);
  preview_->scan(width, height, text("MessageBox1", "No device found").toStdString(),
                 text("MessageBusy", "The scanner is busy with another job. Try the preview again when it has finished.")
                     .toStdString());
}

void CAdv2Dlg::copyControls(bool) {
  CScanSetting& scan = profile();
  CButtonSetting& record = button();
  scan.scanMode = scanMode_->currentIndex();
  scan.resolution = currentResolution();
  scan.brightness = brightness_->position();
  scan.contrast = contrast_->position();
  scan.gamma = wizard::gammaFromText(textOf(gamma_->field()));
  scan.colorMatch = colorMatch_->isChecked() ? 1 : 0;
  record.scanSide = both_->isChecked() ? 2 : 0;
  scan.paperSizeUnit = units_->currentIndex();
  const int index = paper_->currentIndex();
  scan.paperSize = index;
  if (index == kPaperAutomatic) {
    scan.automatic = 1;
    return;
  }
  scan.automatic = 0;
  wizard::PageArea area;
  if (index == kPaperCustom) {
    const int dpi = scan.resolution;
    area.xOffset = wizard::parseLength(textOf(pageField(Field::XOffset)), unit(), dpi);
    area.yOffset = wizard::parseLength(textOf(pageField(Field::YOffset)), unit(), dpi);
    area.width = wizard::parseLength(textOf(pageField(Field::Width)), unit(), dpi);
    area.height = wizard::parseLength(textOf(pageField(Field::Height)), unit(), dpi);
  } else {
    area = wizard::fixedPaperArea(index, context_.scanner);
  }
  scan.width = area.width;
  scan.height = area.height;
  scan.xOffset = area.xOffset;
  scan.yOffset = area.yOffset;
}

}  // namespace ostrel
