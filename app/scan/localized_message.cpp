#include "app/scan/localized_message.h"

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel {

std::string defaultResourceFile() {
  return platform::joinPath(platform::programFolder(), "Template/ResourceSetting.ini");
}

std::string localizedText(std::string_view section, std::string_view key,
                          std::string_view englishDefault, const std::string& resourceFile) {
  return platform::GetPrivateProfileString(section, key, englishDefault, resourceFile);
}

}  // namespace ostrel
