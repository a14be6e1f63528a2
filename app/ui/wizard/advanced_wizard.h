#pragma once
// Advanced mode of the configuration window: the four pages for one button,
// one after the other. The configuration window runs it and, when asked to
// close while it runs, forwards the request to the page on screen.
#include <QPointer>

#include "app/core/wizard/wizard_steps.h"
#include "app/ui/wizard/wizard_page.h"

namespace ostrel {

class AdvancedWizard {
 public:
  // The program's own dialogs for the pages' buttons.
  static WizardDialogs programDialogs();

  explicit AdvancedWizard(WizardContext context) : context_(std::move(context)) {}

  // Shows the pages until the wizard ends; the preview file is gone afterwards.
  wizard::WizardEnd run(QWidget* parent);
  // The page on screen ends the configuration as its close box would.
  void requestClose();

  WizardContext& context() { return context_; }

 private:
  WizardContext context_;
  QPointer<WizardPage> open_;
  bool closeRequested_ = false;
};

// The default message box of the pages.
void showWizardMessage(QWidget* page, const std::string& text);

}  // namespace ostrel
