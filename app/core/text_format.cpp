#include "app/core/text_format.h"

namespace ostrel {

std::string formatWithNumber(std::string_view pattern, int number) {
  std::string text;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      if (pattern[i + 1] == 'd') {
        text += std::to_string(number);
        ++i;
        continue;
      }
      if (pattern[i + 1] == '%') {
        text += '%';
        ++i;
        continue;
      }
    }
    text += pattern[i];
  }
  return text;
}

}  // namespace ostrel
