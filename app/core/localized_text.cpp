#include "app/core/localized_text.h"

#include "platform/environment.h"

namespace ostrel {

LocalizedText programTexts() {
  return LocalizedText(resourceSettingPath(platform::programFolder()));
}

}  // namespace ostrel
