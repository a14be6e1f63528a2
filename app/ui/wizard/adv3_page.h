#pragma once
// CAdv3Dlg: the wizard's feeding page. Orientation and rotation of each side,
// stitching, batching into output files, the more-pages prompt and multi-feed
// detection.
#include <array>

#include "app/ui/wizard/wizard_page.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace ostrel {

class CAdv3Dlg : public WizardPage {
  Q_OBJECT

 public:
  explicit CAdv3Dlg(WizardContext& context, QWidget* parent = nullptr);

  QCheckBox* autoOrient() const { return autoOrient_; }
  // Rotation buttons by side (0 front, 1 back) and value (0 none ... 3 half turn).
  QRadioButton* rotation(int side, int value) const;
  QButtonGroup* stitch() const { return stitch_; }
  QButtonGroup* batch() const { return batch_; }
  QLineEdit* imageCount() const { return imageCount_; }
  QCheckBox* morePages() const { return morePages_; }
  QCheckBox* byLength() const { return byLength_; }
  QLineEdit* length() const { return length_; }
  QCheckBox* ultrasonic() const { return ultrasonic_; }
  QCheckBox* stopAfterMisfeed() const { return stopAfterMisfeed_; }
  QCheckBox* audio() const { return audio_; }

 protected:
  void copyControls(bool next) override;

 private:
  void autoOrientToggled(bool checked);

  QCheckBox* autoOrient_;
  std::array<QButtonGroup*, 2> rotation_{};
  QButtonGroup* stitch_;
  QButtonGroup* batch_;
  QLineEdit* imageCount_;
  QCheckBox* morePages_;
  QCheckBox* byLength_;
  QLineEdit* length_;
  QCheckBox* ultrasonic_;
  QCheckBox* stopAfterMisfeed_;
  QCheckBox* audio_;
};

}  // namespace ostrel
