#pragma once
// The preview window with its "Preview Scan" button, as pages 2 and 4 show
// them. The scan runs on a worker thread through the real session into
// %AppData%/Ostrel/preview.bmp while the page keeps answering; the button is
// off meanwhile. A scanner that is busy with another session (a press's job)
// is not opened a second time: the user is told and nothing is scanned.
#include <QWidget>
#include <functional>
#include <string>
#include <thread>

#include "app/scan/twain/preview_scan.h"
#include "app/ui/wizard/preview_window.h"
#include "app/ui/wizard/wizard_page.h"

class QPushButton;

namespace ostrel {

class PreviewPanel : public QWidget {
  Q_OBJECT

 public:
  PreviewPanel(WizardContext& context, const QString& buttonText, QWidget* parent);
  ~PreviewPanel() override;

  CImageWnd* window() const { return window_; }
  QPushButton* scanButton() const { return scanButton_; }
  bool scanning() const { return worker_.joinable() && !finished_; }

  // Starts a preview of width x length (1/300 inch, 0: the scanner's largest).
  // noDevice and busy are the texts shown when the scanner cannot be had.
  void scan(int width, int length, const std::string& noDevice, const std::string& busy);

 signals:
  void scanFinished(ostrel::PreviewResult result);

 private:
  WizardContext& context_;
  CImageWnd* window_;
  QPushButton* scanButton_;
  bool finished_ = true;
  bool enabledBefore_ = true;
  std::jthread worker_;
};

}  // namespace ostrel
