#include "app/ui/wizard/advanced_wizard.h"

#include <QMessageBox>
#include <memory>

#include "app/ui/printer_dialog.h"
#include "app/ui/qt_user_interface.h"
#include "app/ui/wizard/adv1_page.h"
#include "app/ui/wizard/adv2_page.h"
#include "app/ui/wizard/adv3_page.h"
#include "app/ui/wizard/adv4_page.h"
#include "platform/activity_log.h"

namespace ostrel {

namespace {

std::unique_ptr<WizardPage> makePage(int index, WizardContext& context, QWidget* parent) {
  switch (index) {
    case 0:
      return std::make_unique<CAdv1Dlg>(context, parent);
    case 1:
      return std::make_unique<CAdv2Dlg>(context, parent);
    case 2:
      return std::make_unique<CAdv3Dlg>(context, parent);
    default:
      return std::make_unique<CAdv4Dlg>(context, parent);
  }
}

}  // namespace

void showWizardMessage(QWidget* page, const std::string& text) {
  std::unique_ptr<QMessageBox> box(newMessageBox(text, MessageKind::Information, page));
  box->exec();
}

WizardDialogs AdvancedWizard::programDialogs() {
  WizardDialogs dialogs;
  dialogs.choosePrinter = [](QWidget* parent) -> std::optional<std::string> {
    CPrinterDlg chooser(CPrinterDlg::systemPrinters(), parent);
    if (chooser.exec() != QDialog::Accepted || chooser.chosenPrinter().isEmpty()) return std::nullopt;
    return chooser.chosenPrinter().toStdString();
  };
  return dialogs;
}

wizard::WizardEnd AdvancedWizard::run(QWidget* parent) {
  if (!context_.profiles.Button(context_.button) || context_.profiles.ScanSettingList().empty()) {
    Log("Advanced mode: button " + std::to_string(context_.button) + " has no record to edit.");
    return wizard::WizardEnd::BackToConfiguration;
  }
  wizard::WizardSteps steps;
  std::optional<wizard::WizardEnd> end;
  while (!end) {
    const std::unique_ptr<WizardPage> page = makePage(steps.page(), context_, parent);
    open_ = page.get();
    if (closeRequested_) {
      end = wizard::WizardEnd::Closed;
      break;
    }
    page->exec();
    open_ = nullptr;
    end = steps.leave(page->exit());
  }
  wizard::deletePreviewFile();
  return *end;
}

void AdvancedWizard::requestClose() {
  closeRequested_ = true;
  if (open_) open_->requestClose();
}

}  // namespace ostrel
