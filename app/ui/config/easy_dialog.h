#pragma once
// CEasyDlg: one page that sets up a button: its name, destination, scan
// profile, paper size, sides, folder, file name and format. Some choices change
// the button record at once (destination, format, profile, the cloud folder
// identifier); Apply and Finish copy the rest and save.
#include "app/ui/config/config_context.h"
#include "app/ui/config/config_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ostrel {

class CEasyDlg : public ConfigDialog {
  Q_OBJECT

 public:
  CEasyDlg(QWidget* parent, ConfigContext& context, int button);
  int button() const { return button_; }

 public slots:
  // Finish: Apply, then close with OK.
  void accept() override;
  void apply();

 private:
  CButtonSetting& record() const;
  // Opening steps 3 to 9 for the dialog's button.
  void loadButton();
  // Name, folder, file name, sides, format selection, check boxes and paper
  // size from the record, as a profile choice reloads them.
  void loadRecordFields();
  void refreshDestination();
  void destinationChosen(int index);
  void formatChosen(int index);
  void profileChosen(int index);
  void numberChosen(int index);
  void browse();
  void browseCloud();

  ConfigContext& context_;
  int button_;
  bool loading_ = false;  // the dialog fills its own fields
  QComboBox* number_;
  QLineEdit* title_;
  QComboBox* destination_;
  QLabel* destinationIcon_;
  QComboBox* profile_;
  QComboBox* paper_;
  QRadioButton* front_;
  QRadioButton* both_;
  QLineEdit* folder_;
  QPushButton* browse_;
  QCheckBox* selectFolder_;
  QLineEdit* name_;
  QPushButton* naming_;
  QCheckBox* selectName_;
  QComboBox* format_;
  QCheckBox* morePages_;
};

}  // namespace ostrel
