#pragma once
// Every pause, poll and retry of the fax service is counted in one unit, one
// second in service. Tests shrink the unit so that a ten-second pause or 150 idle
// polls take a fraction of a second, with every count left as it is.
#include <chrono>

namespace ostrel::fax {

struct Timing {
  std::chrono::milliseconds tick{1000};

  std::chrono::milliseconds seconds(int count) const { return tick * count; }
};

}  // namespace ostrel::fax
