#pragma once
// CFtpDlg: the FTP server of a button: address, port, anonymous login, user
// name, password and protocol. OK copies them into the button record in memory
// (Server, FtpPort, FtpAnonymous, Account, Password, FtpProtocol); whoever
// opened it saves the record.
#include "app/settings/profile_records.h"
#include "app/ui/config/config_dialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace ostrel {

class CFtpDlg : public ConfigDialog {
  Q_OBJECT

 public:
  CFtpDlg(QWidget* parent, const CButtonSetting& button, const LocalizedText& texts);
  void store(CButtonSetting& button) const;

 private:
  QLineEdit* address_;
  QLineEdit* port_;
  QCheckBox* anonymous_;
  QLineEdit* user_;
  QLineEdit* password_;
  QComboBox* protocol_;
};

// True when the user pressed OK and the button record took the fields.
bool editFtpSettings(QWidget* parent, CButtonSetting& button, const LocalizedText& texts);

}  // namespace ostrel
