#pragma once
// CFaxLoginDlg: logs the user in to the fax service, shows the account's
// credit and own number, starts the service's workers and offers the member
// pages; its Send Fax button hides it and opens CFaxSendDlg for the documents.
// The login's network work runs on a thread of its own; the dialog only
// draws and answers meanwhile.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/delivery/fax/fax_memory.h"
#include "app/delivery/fax/fax_request.h"
#include "app/delivery/fax/fax_web_page.h"
#include "app/delivery/fax/zelt_fax_service.h"
#include "app/settings/localized_text.h"

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QThread;

namespace ostrel {

struct FaxDialogParts {
  ZeltFaxService& service;
  FaxMemory& memory;
  LocalizedText texts;
  std::string spoolBase;  // the fax service's folder
  FaxClock clock;
  // Opens a written member page in the browser; the page is removed later.
  std::function<void(const std::string& pagePath)> openPage;
};

class CFaxLoginDlg : public QDialog {
  Q_OBJECT

 public:
  CFaxLoginDlg(FaxDialogParts parts, std::vector<std::string> documents, QWidget* parent = nullptr);
  ~CFaxLoginDlg() override;

  // Writes the member page and hands it to openPage; its path, or empty.
  std::string openWebPage(FaxWebPage page);

 signals:
  // The login's outcome is on screen.
  void loginFinished(bool loggedIn);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void startLogin();
  void showOutcome(const FaxLoginOutcome& outcome, const std::string& userId, const std::string& password);
  void openSendDialog();
  QString text(const char* key, const char* english) const;

  FaxDialogParts parts_;
  std::vector<std::string> documents_;
  QLineEdit* user_;
  QLineEdit* password_;
  QLineEdit* credit_;
  QLineEdit* number_;
  QLabel* state_;
  QLabel* accountHint_;
  QFormLayout* accountForm_;
  QPushButton* login_;
  QPushButton* buyCredit_;
  QPushButton* history_;
  QPushButton* send_;
  QThread* worker_ = nullptr;
  std::string loggedUser_;
  std::string loggedPassword_;
};

}  // namespace ostrel
