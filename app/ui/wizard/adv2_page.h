#pragma once
// CAdv2Dlg: the wizard's scan settings page. Scan mode, resolution, the page
// area in inches, pixels or millimetres, the tone controls and the scanned
// sides, with the live preview beside them.
#include <array>

#include "app/core/wizard/page_geometry.h"
#include "app/ui/wizard/wizard_page.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;

namespace ostrel {

class PreviewPanel;
class SpinField;

class CAdv2Dlg : public WizardPage {
  Q_OBJECT

 public:
  explicit CAdv2Dlg(WizardContext& context, QWidget* parent = nullptr);

  QComboBox* scanMode() const { return scanMode_; }
  QSlider* resolutionSlider() const { return slider_; }
  QLineEdit* resolutionField() const { return resolution_; }
  QComboBox* paperSize() const { return paper_; }
  QComboBox* units() const { return units_; }
  // Width, height, horizontal offset, vertical offset.
  QLineEdit* pageField(wizard::Field field) const { return page_[static_cast<std::size_t>(field)]; }
  QLabel* unitLabel(wizard::Field field) const { return unitLabels_[static_cast<std::size_t>(field)]; }
  QLineEdit* brightness() const;
  QLineEdit* contrast() const;
  QLineEdit* gamma() const;
  QCheckBox* colorMatch() const { return colorMatch_; }
  QRadioButton* bothSides() const { return both_; }
  PreviewPanel* preview() const { return preview_; }

 protected:
  void copyControls(bool next) override;

 private:
  int currentResolution() const;
  wizard::Unit unit() const;
  void applyModeRule();
  void paperChosen(int index);
  void unitChosen(int index);
  void leavePageField(wizard::Field field);
  void showArea(const wizard::PageArea& area);
  void setUnitLabels();
  void refreshPreview();
  void previewScan();

  QComboBox* scanMode_;
  QSlider* slider_;
  QLineEdit* resolution_;
  QComboBox* paper_;
  QComboBox* units_;
  std::array<QLineEdit*, 4> page_{};
  std::array<QLabel*, 4> unitLabels_{};
  SpinField* brightness_;
  SpinField* contrast_;
  SpinField* gamma_;
  QCheckBox* colorMatch_;
  QRadioButton* front_;
  QRadioButton* both_;
  PreviewPanel* preview_;
  wizard::Unit shownUnit_ = wizard::Unit::Inch;
};

}  // namespace ostrel
