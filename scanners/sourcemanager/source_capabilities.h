#pragma once
// The capabilities the virtual data source supports, as one-value containers:
// their item types, defaults, current values and which values each accepts.
#include <functional>
#include <map>
#include <string>

#include "scanners/protocol/custom_capabilities.h"
#include "scanners/protocol/twain_protocol.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::virtualscanner {

struct CapabilityResult {
  twain::TW_UINT16 returnCode = twain::TWRC_SUCCESS;
  twain::TW_UINT16 condition = twain::TWCC_SUCCESS;
  std::string record;  // the session record's line for a MSG_SET or MSG_GET
};

class SourceCapabilities {
 public:
  explicit SourceCapabilities(const VirtualDevice& device);

  // One DAT_CAPABILITY triplet. Values can be set only while the source is
  // open and not enabled (TWAIN state 4).
  CapabilityResult handle(twain::TW_UINT16 msg, twain::TW_CAPABILITY& capability, bool settable);

  twain::TW_UINT32 item(twain::TW_UINT16 capability) const;
  double fix32(twain::TW_UINT16 capability) const;
  bool flag(twain::TW_UINT16 capability) const { return item(capability) != 0; }
  // For the values the source itself changes (paper in the feeder).
  void setReadOnly(twain::TW_UINT16 capability, twain::TW_UINT32 item);

 private:
  struct Entry {
    twain::TW_UINT16 itemType;
    twain::TW_UINT32 current;
    twain::TW_UINT32 defaultValue;
    std::function<bool(twain::TW_UINT32)> accepts;  // empty: read-only
  };
  void add(twain::TW_UINT16 capability, twain::TW_UINT16 itemType, twain::TW_UINT32 defaultValue,
           std::function<bool(twain::TW_UINT32)> accepts);
  CapabilityResult reply(twain::TW_CAPABILITY& capability, twain::TW_UINT16 itemType,
                         twain::TW_UINT32 item) const;

  std::map<twain::TW_UINT16, Entry> entries_;
};

}  // namespace ostrel::virtualscanner
