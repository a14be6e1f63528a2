#pragma once
// The localized text lookup as the scanning and naming code use it: section, key
// and English default, read from the texts file the moment a message is shown.
#include <string>
#include <string_view>

namespace ostrel {

// "Template/ResourceSetting.ini" in the program's folder.
std::string defaultResourceFile();

std::string localizedText(std::string_view section, std::string_view key,
                          std::string_view englishDefault, const std::string& resourceFile);

}  // namespace ostrel
