#pragma once
// The folder browser of the configuration dialogs: the desktop's folder dialog
// (Qt's own where the desktop offers none), opened at the folder a field names.
#include <optional>
#include <string>

#include <QString>

class QWidget;

namespace ostrel {

// The chosen folder with its trailing separator; nullopt when cancelled.
std::optional<std::string> browseForFolder(QWidget* parent, const QString& title, const std::string& fieldText);

}  // namespace ostrel
