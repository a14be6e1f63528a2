#pragma once
// A benchmark program's scratch folder under the system's temporary folder:
// made on first use, removed with everything in it when the program ends.
#include <string>

namespace ostrel::bench {

const std::string& temporaryFolder();

}  // namespace ostrel::bench
