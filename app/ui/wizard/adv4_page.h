#pragma once
// CAdv4Dlg: the wizard's image processing page. Edge clean-up, background,
// despeckle, colour dropout and blank page removal, the preview, "Save the
// profile", and Finish: the one step of the wizard that writes the button and
// its scan profile to their files.
#include <array>

#include "app/ui/wizard/wizard_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ostrel {

class PreviewPanel;
class SpinField;

class CAdv4Dlg : public WizardPage {
  Q_OBJECT

 public:
  explicit CAdv4Dlg(WizardContext& context, QWidget* parent = nullptr);

  QCheckBox* edge() const { return edge_; }
  QComboBox* edgeColour() const { return edgeColour_; }
  QLineEdit* edgeSize() const { return edgeSize_; }
  QComboBox* background() const { return background_; }
  QCheckBox* despeckle() const { return despeckle_; }
  QLineEdit* sensitivity() const { return sensitivity_; }
  QLineEdit* range() const { return range_; }
  QCheckBox* blank() const { return blank_; }
  QLineEdit* pageSensitivity() const;
  QCheckBox* dropout() const { return dropout_; }
  QComboBox* dropoutList() const { return dropoutList_; }
  // Red, green, blue.
  QLineEdit* dropColour(int channel) const;
  QPushButton* saveProfile() const { return saveProfile_; }
  PreviewPanel* preview() const { return preview_; }

 protected:
  void copyControls(bool next) override;

 private:
  void fillDropoutList();
  void dropoutToggled(bool checked);
  void dropoutChosen(int index);
  void followBoxes();
  void refreshPreview();
  void saveAsProfile();

  QCheckBox* edge_;
  QComboBox* edgeColour_;
  QLineEdit* edgeSize_;
  QComboBox* background_;
  QCheckBox* despeckle_;
  QLineEdit* sensitivity_;
  QLineEdit* range_;
  QCheckBox* blank_;
  SpinField* pageSensitivity_;
  QCheckBox* dropout_;
  QComboBox* dropoutList_;
  std::array<SpinField*, 3> colours_{};
  QPushButton* saveProfile_;
  PreviewPanel* preview_;
};

}  // namespace ostrel
