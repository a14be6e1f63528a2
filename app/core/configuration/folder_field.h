#pragma once
// The folder fields of the configuration dialogs and what the folder browser
// puts into them.
#include <string>
#include <string_view>

namespace ostrel {

// Where the folder browser opens for a field's text: the text with the
// documents marker and environment variables expanded.
std::string browseStartFolder(std::string_view fieldText);

// A chosen folder as the field takes it: with its trailing separator.
std::string chosenFolderText(std::string_view chosen);

}  // namespace ostrel
