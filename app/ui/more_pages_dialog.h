#pragma once
// CMorePageDlg: "Scan more pages?" between two passes of the feeder. OK ends it
// with 1 (scan more), "Finish" or closing with 0.
#include <QDialog>
#include <QPointer>
#include <stop_token>

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
// Asked from a scan job's thread, it opens on the window thread and the job
// waits for the answer, or until stop is requested: that answers Finish.
class QtMorePagesPrompt : public MorePagesPrompt {
 public:
  explicit QtMorePagesPrompt(std::stop_token stop = {}) : stop_(std::move(stop)) {}

  bool ask() override;
  bool isOpen() const override { return !open_.isNull(); }
  void accept() override;

 private:
  std::stop_token stop_;
  QPointer<CMorePageDlg> open_;
};

}  // namespace ostrel
