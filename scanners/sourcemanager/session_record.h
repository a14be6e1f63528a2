#pragma once
// The virtual data source's record of its last session: one line per triplet
// it received, in order, with the values it was set to, so tests and the demo
// can see exactly what the application asked for. The file is started afresh
// when a session opens the source.
#include <fstream>
#include <string>
#include <string_view>

#include "scanners/protocol/twain_protocol.h"

namespace ostrel::virtualscanner {

std::string capabilityName(twain::TW_UINT16 capability);
std::string itemTypeName(twain::TW_UINT16 itemType);
std::string conditionName(twain::TW_UINT16 condition);
// A fixed-point value as a short decimal: 200, 0.07, -1.5.
std::string decimal(double value);
// A TW_ONEVALUE item as its type prints it.
std::string itemText(twain::TW_UINT16 itemType, twain::TW_UINT32 item);

class SessionRecord {
 public:
  void start(const std::string& path);
  void line(std::string_view text);

 private:
  std::ofstream file_;
};

}  // namespace ostrel::virtualscanner
