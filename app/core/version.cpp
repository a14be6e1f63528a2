#include "app/core/version.h"

namespace ostrel {

const char* versionText() { return "0.1.0"; }

}  // namespace ostrel
