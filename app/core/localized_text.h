#pragma once
// The user-interface texts: looked up by section and key in
// Template/ResourceSetting.ini beside the program, with the English text as the
// default. A key present with an empty value gives an empty text.
#include <string>
#include <string_view>

namespace ostrel {

std::string localizedText(std::string_view section, std::string_view key,
                          std::string_view englishDefault);

}  // namespace ostrel
