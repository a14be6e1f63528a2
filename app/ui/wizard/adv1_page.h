#pragma once
// CAdv1Dlg: the wizard's destination page. Scan profile, destination (with
// "Add..." and its properties by kind), file format and its properties, OCR
// language, folder and its options, the file name and its naming menu.
#include "app/ui/wizard/wizard_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace ostrel {

class CAdv1Dlg : public WizardPage {
  Q_OBJECT

 public:
  explicit CAdv1Dlg(WizardContext& context, QWidget* parent = nullptr);

  QComboBox* profiles() const { return profiles_; }
  QComboBox* destinations() const { return destinations_; }
  QPushButton* destinationProperties() const { return destinationProperties_; }
  QComboBox* formats() const { return formats_; }
  QPushButton* formatProperties() const { return formatProperties_; }
  QComboBox* ocrLanguages() const { return ocr_; }
  QCheckBox* selectAtScanTime() const { return selectFolder_; }
  QCheckBox* rememberFolder() const { return remember_; }
  QLineEdit* folder() const { return folder_; }
  QPushButton* browse() const { return browse_; }
  QCheckBox* createSubfolder() const { return subfolder_; }
  QComboBox* subfolderFormats() const { return subfolderFormats_; }
  QLineEdit* fileName() const { return fileName_; }
  QPushButton* namingOptions() const { return naming_; }
  QCheckBox* selectName() const { return selectName_; }

 protected:
  void copyControls(bool next) override;

 private:
  CApplicationSetting* shownDestination() const;
  void fillDestinations();
  void selectButtonDestination();
  void refreshDestinationControls();
  void fillFormats();
  void destinationChosen(int index);
  void formatChosen();
  void profileChosen();
  void loadFields();
  void openFormatProperties();
  void openDestinationProperties();
  void browseFolder();
  void followFolderBoxes();

  QComboBox* profiles_;
  QComboBox* destinations_;
  QPushButton* destinationProperties_;
  QComboBox* formats_;
  QPushButton* formatProperties_;
  QComboBox* ocr_;
  QCheckBox* selectFolder_;
  QCheckBox* remember_;
  QLineEdit* folder_;
  QPushButton* browse_;
  QCheckBox* subfolder_;
  QComboBox* subfolderFormats_;
  QLineEdit* fileName_;
  QPushButton* naming_;
  QCheckBox* selectName_;
};

}  // namespace ostrel
