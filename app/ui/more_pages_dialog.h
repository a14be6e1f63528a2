#pragma once
// CMorePageDlg: "Scan more pages?" between two passes of the feeder. OK ends it
// with 1 (scan more), "Finish" or closing with 0.
#include <QDialog>
#include <QPointer>

#include "app/core/manager_interfaces.h"

namespace ostrel {

class CMorePageDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CMorePageDlg(QWidget* parent = nullptr);

 protected:
  void showEvent(QShowEvent* event) override;
};

// The prompt as the dispatch uses it; while it is open, accept() answers OK.
class QtMorePagesPrompt : public MorePagesPrompt {
 public:
  bool ask() override;
  void accept() override;

 private:
  QPointer<CMorePageDlg> open_;
};

}  // namespace ostrel
