#pragma once
// CAboutDlg: the about box, with the program icon, the product name and version.
#include <QDialog>
#include <QPointer>

#include "app/core/manager_interfaces.h"

namespace ostrel {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

// The about box as the manager runs it.
class QtAboutBox : public AboutBox {
 public:
  void run() override;
  void requestClose() override;

 private:
  QPointer<CAboutDlg> open_;
};

}  // namespace ostrel
