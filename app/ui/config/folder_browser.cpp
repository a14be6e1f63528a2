#include "app/ui/config/folder_browser.h"

#include <QFileDialog>

#include "app/core/configuration/folder_field.h"

namespace ostrel {

std::optional<std::string> browseForFolder(QWidget* parent, const QString& title, const std::string& fieldText) {
  const QString chosen = QFileDialog::getExistingDirectory(
      parent, title, QString::fromStdString(browseStartFolder(fieldText)), QFileDialog::ShowDirsOnly);
  if (chosen.isEmpty()) return std::nullopt;
  return chosenFolderText(chosen.toStdString());
}

}  // namespace ostrel
