#include "app/settings/localized_text.h"

#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel {

std::string resourceSettingPath(const std::string& programFolder) {
  return platform::joinPath(programFolder, "Template/ResourceSetting.ini");
}

std::string LocalizedText::operator()(std::string_view section, std::string_view key,
                                      std::string_view englishDefault) const {
  const std::string value = platform::GetPrivateProfileString(section, key, englishDefault, filePath_);
  std::string text;
  text.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == 'n') {
      text += '\n';
      ++i;
    } else {
      text += value[i];
    }
  }
  return text;
}

std::string formatWithNumber(std::string_view text, int number) {
  std::string out;
  bool numberPlaced = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '%' && next == '%') {
      out += '%';
      ++i;
    } else if (text[i] == '%' && next == 'd' && !numberPlaced) {
      out += std::to_string(number);
      numberPlaced = true;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace ostrel
