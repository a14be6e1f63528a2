#pragma once
// The text lookup of the running program: Template/ResourceSetting.ini beside
// it. Each user of the texts keeps its own copy, as the translation file's path
// is worked out once when the user is made.
#include "app/settings/localized_text.h"

namespace ostrel {

LocalizedText programTexts();

}  // namespace ostrel
