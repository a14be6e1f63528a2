#pragma once
// CGoogleDocDlg: the cloud account of one button. It edits the WebDAV server
// address, the account name and the password, and lets the user pick the
// upload folder from the account's tree through libDrovel.so beside the
// program. Nothing reaches the button record before OK; the caller saves it.
#include <QDialog>
#include <QPointer>

#include <functional>
#include <string>

#include "app/core/manager_interfaces.h"
#include "app/settings/localized_text.h"
#include "app/settings/profile_records.h"

class QLineEdit;
class QPushButton;

namespace ostrel {

class CGoogleDocDlg : public QDialog {
  Q_OBJECT

 public:
  CGoogleDocDlg(CButtonSetting& button, std::string programFolder, QWidget* parent = nullptr);

  // The kept folder identifier ("FolderID::..."), as OK writes it to ID.
  const std::string& folderId() const { return folderId_; }

  QLineEdit* serverField() const { return server_; }
  QLineEdit* userField() const { return user_; }
  QLineEdit* passwordField() const { return password_; }
  QLineEdit* folderField() const { return folder_; }
  QPushButton* browseButton() const { return browse_; }

  // OK: writes Server, Account, Password, ID and ImageFolder, in that order.
  void accept() override;

 private:
  void browse();
  QString text(const char* key, const char* english) const;

  CButtonSetting& button_;
  std::string programFolder_;
  LocalizedText texts_;
  std::string folderId_;
  // The number passed through to the login; never stored.
  int number_ = 0;
  QLineEdit* server_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* folder_;
  QPushButton* browse_;
};

// The account dialog as the manager opens it for a cloud button that lacks its
// credentials; OK saves the record through `save`.
class QtCloudAccountDialog : public CloudAccountDialog {
 public:
  QtCloudAccountDialog(std::string programFolder, std::function<void(const CButtonSetting&)> save)
      : programFolder_(std::move(programFolder)), save_(std::move(save)) {}
  std::optional<std::string> run(CButtonSetting& button, int number) override;
  void requestClose() override;

 private:
  std::string programFolder_;
  std::function<void(const CButtonSetting&)> save_;
  QPointer<CGoogleDocDlg> open_;
};

}  // namespace ostrel
