#pragma once

namespace ostrel {

// The program's version as shown in the about box and logs.
const char* versionText();

}  // namespace ostrel
