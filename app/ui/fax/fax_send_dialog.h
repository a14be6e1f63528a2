#pragma once
// CFaxSendDlg: receivers, subject, cover text and the documents of one fax.
// Send copies the documents (and the cover page) into the fax spool and writes
// the request there; the fax service's workers do the rest. A fax that could
// not be queued is reported and the dialog stays open.
#include <QDialog>
#include <string>
#include <vector>

#include "app/ui/fax/fax_login_dialog.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

namespace ostrel {

struct FaxSendInput {
  std::string userId;
  std::string password;
  std::string senderNo;  // the account's own number
  std::vector<std::string> documents;
};

class CFaxSendDlg : public QDialog {
  Q_OBJECT

 public:
  CFaxSendDlg(const FaxDialogParts& parts, FaxSendInput input, QWidget* parent = nullptr);

  // The request of the last successful Send.
  const QueuedFax& queued() const { return queued_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void accept() override;

 private:
  QString text(const char* key, const char* english) const;

  const FaxDialogParts& parts_;
  FaxSendInput input_;
  QComboBox* country_;
  QComboBox* receiver_;
  QLineEdit* subject_;
  QComboBox* fontSize_;
  QPlainTextEdit* cover_;
  QTreeWidget* documents_;
  QueuedFax queued_;
};

}  // namespace ostrel
