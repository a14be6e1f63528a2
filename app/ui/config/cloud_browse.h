#pragma once
// Browse for a cloud destination, as the easy dialog and the wizard's first
// page do it: the cloud chooser library from the program's folder, the account
// dialog first when the button has no credentials, then the chooser's folder.
#include <QString>
#include <optional>
#include <string>

#include "app/ui/config/config_context.h"

class QWidget;

namespace ostrel {

// The texts each dialog shows, from its own section.
struct CloudBrowseTexts {
  QString title;
  QString libraryMissing;  // "Drovel.dll is missing."
  QString noAccount;       // "Please configure your username and password!"
  QString loginFailed;     // "Login Google docs failed."
};

// What the folder field shows afterwards (nullopt: unchanged), and the
// button's cloud folder identifier, to be stored after the field has changed
// (a change of the field clears it).
struct CloudBrowseResult {
  std::optional<std::string> folder;
  std::optional<std::string> id;
};

CloudBrowseResult browseCloud(QWidget* parent, ConfigContext& context, CButtonSetting& button, int number,
                              const std::string& fieldText, const CloudBrowseTexts& texts);

}  // namespace ostrel
