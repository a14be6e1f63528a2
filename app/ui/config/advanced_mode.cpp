#include "app/ui/config/advanced_mode.h"

#include "app/ui/config/app_dialog.h"
#include "app/ui/config/cloud_browse.h"
#include "app/ui/config/config_context.h"
#include "app/ui/config/file_name_dialog.h"
#include "app/ui/config/folder_browser.h"
#include "app/ui/config/ftp_dialog.h"
#include "app/ui/config/jpeg_setting_dialog.h"
#include "app/ui/config/naming_menu.h"
#include "app/ui/wizard/advanced_wizard.h"

namespace ostrel {

namespace {

// The configuration's own dialogs behind the wizard pages' buttons.
WizardDialogs configurationDialogs(ConfigContext& context, int number) {
  WizardDialogs dialogs = AdvancedWizard::programDialogs();
  const LocalizedText& texts = context.texts;
  dialogs.askProfileName = [&texts](QWidget* page) -> std::optional<std::string> {
    return askProfileName(page, texts);
  };
  dialogs.jpegQuality = [&texts](QWidget* page, int position) { return askJpegQuality(page, position, texts); };
  dialogs.destinationProperties = [&context](QWidget* page,
                                             const std::string& name) -> std::optional<WizardDialogs::Destination> {
    const auto outcome = editDestination(page, context.store, name, context.texts);
    if (!outcome) return std::nullopt;
    return WizardDialogs::Destination{outcome->name, outcome->defaultFormat};
  };
  dialogs.ftp = [&texts](QWidget* page, CButtonSetting& button) { return editFtpSettings(page, button, texts); };
  dialogs.cloudAccount = [&context, number](QWidget*, CButtonSetting& button) {
    return context.cloudAccount.run(button, number);
  };
  dialogs.cloudBrowse = [&context, number](QWidget* page, CButtonSetting& button, const std::string& field) {
    auto text = [&context](const char* key, const char* english) {
      return QString::fromStdString(context.texts("Adv1", key, english));
    };
    const CloudBrowseResult result =
        browseCloud(page, context, button, number, field,
                    {page->windowTitle(), text("MessageBox1", "Drovel.dll is missing."),
                     text("MessageBox2", "Please configure your username and password!"),
                     text("MessageBox3", "Login Google docs failed.")});
    return WizardDialogs::CloudFolder{result.folder, result.id};
  };
  dialogs.browseFolder = [](QWidget* page, const QString& title, const std::string& field) {
    return browseForFolder(page, title, field);
  };
  dialogs.namingMenu = [&texts](QWidget& anchor, QLineEdit& field) { showNamingMenu(anchor, field, texts); };
  return dialogs;
}

}  // namespace

AdvancedOutcome runAdvancedMode(QWidget* parent, ConfigContext& context, int button) {
  // A configuration opened without the scanner (tests of the window alone)
  // still shows the pages; their preview finds no device.
  ScannerConfig shapeOnly;
  shapeOnly.hasFeeder = context.scanner.hasFeeder;
  shapeOnly.hasDuplex = context.scanner.hasDuplex;
  shapeOnly.maxWidth = context.scanner.maxWidth;
  shapeOnly.maxLength = context.scanner.maxLength;
  ScannerConfig& scanner = context.scannerConfig ? *context.scannerConfig : shapeOnly;
  AdvancedWizard wizard(WizardContext{context.store, scanner, context.texts, button, showWizardMessage, {},
                                      configurationDialogs(context, button)});
  context.closeAdvancedMode = [&wizard] { wizard.requestClose(); };
  const wizard::WizardEnd end = wizard.run(parent);
  context.closeAdvancedMode = nullptr;
  switch (end) {
    case wizard::WizardEnd::Finished:
      return AdvancedOutcome::finished;
    case wizard::WizardEnd::BackToConfiguration:
      return AdvancedOutcome::back;
    case wizard::WizardEnd::Closed:
      break;
  }
  return AdvancedOutcome::closed;
}

}  // namespace ostrel
