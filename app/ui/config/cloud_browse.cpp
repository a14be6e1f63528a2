#include "app/ui/config/cloud_browse.h"

#include "app/scan/job/cloud_folder_chooser.h"
#include "app/ui/config/config_dialog.h"
#include "platform/dynamic_library.h"
#include "platform/text.h"

namespace ostrel {

CloudBrowseResult browseCloud(QWidget* parent, ConfigContext& context, CButtonSetting& button, int number,
                              const std::string& fieldText, const CloudBrowseTexts& texts) {
  const std::string library = platform::joinPath(context.programFolder, kCloudChooserLibrary);
  // Loaded for this one action; the chooser below holds its own reference.
  const auto loaded = platform::DynamicLibrary::open(library);
  if (!loaded) {
    showWarning(parent, texts.title, texts.libraryMissing);
    return {};
  }
  if (button.account.empty() || button.password.empty()) {
    showWarning(parent, texts.title, texts.noAccount);
    if (context.cloudAccount.run(button, number)) return {button.imageFolder, std::nullopt};
    return {};
  }
  CButtonSetting start = button;
  start.imageFolder = fieldText;
  const CloudFolderChoice choice = chooseCloudFolder(library, start);
  switch (choice.outcome) {
    case CloudFolderOutcome::libraryMissing:
      showWarning(parent, texts.title, texts.libraryMissing);
      return {};
    case CloudFolderOutcome::loginFailed:
      showWarning(parent, texts.title, texts.loginFailed);
      return {};
    case CloudFolderOutcome::chosen:
      return {choice.folderPath, choice.folderId};
    case CloudFolderOutcome::notChosen:
      return {std::string(), std::string()};
  }
  return {};
}

}  // namespace ostrel
