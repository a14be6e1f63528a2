#include "app/core/localized_text.h"

#include "platform/environment.h"
#include "platform/ini_file.h"

namespace ostrel {

std::string localizedText(std::string_view section, std::string_view key,
                          std::string_view englishDefault) {
  return platform::GetPrivateProfileString(
      section, key, englishDefault, platform::programFolder() + "/Template/ResourceSetting.ini");
}

}  // namespace ostrel
