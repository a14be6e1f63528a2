#include "app/ui/wizard/preview_panel.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/wizard/wizard_steps.h"
#include "platform/activity_log.h"
#include "platform/environment.h"

namespace ostrel {

PreviewPanel::PreviewPanel(WizardContext& context, const QString& buttonText, QWidget* parent)
    : QWidget(parent), context_(context) {
  window_ = new CImageWnd(context.scanner.maxWidth, context.scanner.maxLength, this);
  scanButton_ = new QPushButton(buttonText, this);
  scanButton_->setObjectName(QStringLiteral("previewScan"));
  scanButton_->setAutoDefault(false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(window_, 1);
  layout->addWidget(scanButton_);
  if (platform::fileExists(wizard::previewFilePath())) window_->loadFile(wizard::previewFilePath());
}

PreviewPanel::~PreviewPanel() = default;  // the worker is joined: the session ends first

void PreviewPanel::scan(int width, int length, const std::string& noDevice, const std::string& busy) {
  if (scanning()) return;
  ScannerConfig& scanner = context_.scanner;
  if (scanner.busy) {
    Log("Preview scan refused: the scanner is doing another job.");
    if (context_.showMessage) context_.showMessage(window(), busy);
    return;
  }
  // Marked here, on the window thread where presses are checked, so no press
  // can slip in before the worker's session marks it.
  scanner.busy = true;
  finished_ = false;
  enabledBefore_ = scanButton_->isEnabled();
  scanButton_->setEnabled(false);
  if (worker_.joinable()) worker_.join();
  const std::string folder = platform::appDataFolder() + "/Ostrel";
  platform::createFolderTree(folder);
  const std::string path = wizard::previewFilePath();
  const std::string sourceManager =
      context_.sourceManagerPath.empty() ? defaultSourceManagerPath() : context_.sourceManagerPath;
  worker_ = std::jthread([this, &scanner, path, sourceManager, width, length, noDevice] {
    const PreviewResult result = RunPreviewScan(scanner, path, width, length, sourceManager);
    QMetaObject::invokeMethod(
        this,
        [this, result, path, noDevice] {
          finished_ = true;
          scanButton_->setEnabled(enabledBefore_);
          if (result == PreviewResult::NoDevice) {
            if (context_.showMessage) context_.showMessage(window(), noDevice);
          } else if (result == PreviewResult::Written) {
            window_->loadFile(path);
          }
          emit scanFinished(result);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace ostrel
