#include "scanners/sourcemanager/source_capabilities.h"

#include <algorithm>
#include <vector>

#include "scanners/sourcemanager/dsm_memory.h"
#include "scanners/sourcemanager/session_record.h"

namespace ostrel::virtualscanner {

using namespace twain;

namespace {

constexpr TW_UINT32 kTrue = 1;
constexpr TW_UINT32 kFalse = 0;

TW_UINT32 fixItem(double value) { return fix32AsItem(toFix32(value)); }

std::function<bool(TW_UINT32)> anyOf(std::initializer_list<TW_UINT32> values) {
  return [accepted = std::vector<TW_UINT32>(values)](TW_UINT32 item) {
    for (TW_UINT32 value : accepted) {
      if (value == item) return true;
    }
    return false;
  };
}

std::function<bool(TW_UINT32)> fixBetween(double low, double high) {
  return [low, high](TW_UINT32 item) {
    const double value = fromFix32(itemAsFix32(item));
    return value >= low && value <= high;
  };
}

std::function<bool(TW_UINT32)> flagValue() { return anyOf({kFalse, kTrue}); }

CapabilityResult refused(TW_UINT16 condition, std::string record = {}) {
  return {TWRC_FAILURE, condition, std::move(record)};
}

}  // namespace

SourceCapabilities::SourceCapabilities(const VirtualDevice& device) {
  const double bedWidth = std::max(device.feeder ? device.feederWidth : 0, device.flatbed ? device.flatbedWidth : 0);
  const double bedLength =
      std::max(device.feeder ? device.feederLength : 0, device.flatbed ? device.flatbedLength : 0);
  add(CAP_XFERCOUNT, TWTY_INT16, static_cast<TW_UINT16>(-1), [](TW_UINT32 item) {
    const auto count = static_cast<TW_INT16>(item);
    return count == -1 || count > 0;
  });
  add(ICAP_COMPRESSION, TWTY_UINT16, TWCP_NONE, anyOf({TWCP_NONE}));
  add(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB, anyOf({TWPT_BW, TWPT_GRAY, TWPT_RGB}));
  add(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES, anyOf({TWUN_INCHES}));
  add(ICAP_XFERMECH, TWTY_UINT16, TWSX_NATIVE, anyOf({TWSX_NATIVE, TWSX_FILE, TWSX_MEMORY}));
  add(CAP_FEEDERENABLED, TWTY_BOOL, device.feeder ? kTrue : kFalse,
      device.feeder && device.flatbed ? flagValue() : anyOf({device.feeder ? kTrue : kFalse}));
  add(CAP_FEEDERLOADED, TWTY_BOOL, kFalse, {});
  add(CAP_DUPLEX, TWTY_UINT16, device.duplex ? TWDX_1PASSDUPLEX : TWDX_NONE, {});
  add(CAP_DUPLEXENABLED, TWTY_BOOL, kFalse, device.duplex ? flagValue() : anyOf({kFalse}));
  add(ICAP_AUTOBRIGHT, TWTY_BOOL, kFalse, flagValue());
  add(ICAP_BRIGHTNESS, TWTY_FIX32, fixItem(0), fixBetween(-1000, 1000));
  add(ICAP_CONTRAST, TWTY_FIX32, fixItem(0), fixBetween(-1000, 1000));
  add(ICAP_FILTER, TWTY_UINT16, TWFT_NONE, anyOf({TWFT_RED, TWFT_GREEN, TWFT_BLUE, TWFT_NONE}));
  add(ICAP_GAMMA, TWTY_FIX32, fixItem(2.2), fixBetween(0.1, 10));
  add(ICAP_PHYSICALWIDTH, TWTY_FIX32, fixItem(bedWidth / 300), {});
  add(ICAP_PHYSICALHEIGHT, TWTY_FIX32, fixItem(bedLength / 300), {});
  add(ICAP_XRESOLUTION, TWTY_FIX32, fixItem(200), fixBetween(50, 1200));
  add(ICAP_YRESOLUTION, TWTY_FIX32, fixItem(200), fixBetween(50, 1200));
  add(ICAP_AUTODISCARDBLANKPAGES, TWTY_INT32, static_cast<TW_UINT32>(TWBP_DISABLE),
      [](TW_UINT32 item) { return static_cast<TW_INT32>(item) >= TWBP_DISABLE; });
  add(ICAP_AUTOMATICBORDERDETECTION, TWTY_BOOL, kFalse, flagValue());
  add(ICAP_AUTOMATICDESKEW, TWTY_BOOL, kFalse, flagValue());
  add(ICAP_AUTOMATICROTATE, TWTY_BOOL, kFalse, flagValue());
  add(kCapAutomaticSize, TWTY_BOOL, kFalse, flagValue());
  add(kCapBackgroundColour, TWTY_UINT16, 0, [](TW_UINT32 item) { return item <= 1; });
  add(kCapAutomaticColour, TWTY_BOOL, kFalse, flagValue());
}

void SourceCapabilities::add(TW_UINT16 capability, TW_UINT16 itemType, TW_UINT32 defaultValue,
                             std::function<bool(TW_UINT32)> accepts) {
  entries_[capability] = Entry{itemType, defaultValue, defaultValue, std::move(accepts)};
}

TW_UINT32 SourceCapabilities::item(TW_UINT16 capability) const {
  const auto it = entries_.find(capability);
  return it == entries_.end() ? 0 : it->second.current;
}

double SourceCapabilities::fix32(TW_UINT16 capability) const { return fromFix32(itemAsFix32(item(capability))); }

void SourceCapabilities::setReadOnly(TW_UINT16 capability, TW_UINT32 item) {
  if (auto it = entries_.find(capability); it != entries_.end()) it->second.current = item;
}

CapabilityResult SourceCapabilities::reply(TW_CAPABILITY& capability, TW_UINT16 itemType, TW_UINT32 item) const {
  TW_HANDLE container = memoryAllocate(sizeof(TW_ONEVALUE));
  if (!container) return refused(TWCC_LOWMEMORY);
  auto* value = static_cast<TW_ONEVALUE*>(memoryLock(container));
  value->ItemType = itemType;
  value->Item = item;
  memoryUnlock(container);
  capability.ConType = TWON_ONEVALUE;
  capability.hContainer = container;
  return {};
}

CapabilityResult SourceCapabilities::handle(TW_UINT16 msg, TW_CAPABILITY& capability, bool settable) {
  const std::string name = capabilityName(capability.Cap);
  const auto it = entries_.find(capability.Cap);
  switch (msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      const std::string line = (msg == MSG_GET ? "MSG_GET " : msg == MSG_GETCURRENT ? "MSG_GETCURRENT " : "MSG_GETDEFAULT ") + name;
      if (it == entries_.end()) return refused(TWCC_CAPUNSUPPORTED, line + " (refused: TWCC_CAPUNSUPPORTED)");
      const Entry& entry = it->second;
      CapabilityResult result = reply(capability, entry.itemType, msg == MSG_GETDEFAULT ? entry.defaultValue : entry.current);
      result.record = line;
      return result;
    }
    case MSG_QUERYSUPPORT: {
      constexpr TW_UINT32 kGetOnly = 0x0001 | 0x0004 | 0x0008;  // TWQC_GET, GETDEFAULT, GETCURRENT
      constexpr TW_UINT32 kSettable = kGetOnly | 0x0002 | 0x0010;  // and TWQC_SET, TWQC_RESET
      const TW_UINT32 support = it == entries_.end() ? 0 : it->second.accepts ? kSettable : kGetOnly;
      return reply(capability, TWTY_INT32, support);
    }
    case MSG_SET:
    case MSG_RESET: {
      std::string line = msg == MSG_SET ? "MSG_SET " + name : "MSG_RESET " + name;
      TW_ONEVALUE requested{};
      if (msg == MSG_SET) {
        if (capability.ConType != TWON_ONEVALUE || !capability.hContainer) {
          return refused(TWCC_BADVALUE, line + " (refused: not a one-value container)");
        }
        requested = *static_cast<const TW_ONEVALUE*>(memoryLock(capability.hContainer));
        memoryUnlock(capability.hContainer);
        line += " " + itemTypeName(requested.ItemType) + " " + itemText(requested.ItemType, requested.Item);
      }
      if (it == entries_.end()) return refused(TWCC_CAPUNSUPPORTED, line + " (refused: TWCC_CAPUNSUPPORTED)");
      Entry& entry = it->second;
      if (!entry.accepts) return refused(TWCC_CAPBADOPERATION, line + " (refused: read-only)");
      if (!settable) return refused(TWCC_SEQERROR, line + " (refused: TWCC_SEQERROR)");
      if (msg == MSG_RESET) {
        entry.current = entry.defaultValue;
        CapabilityResult result = reply(capability, entry.itemType, entry.current);
        result.record = line;
        return result;
      }
      if (requested.ItemType != entry.itemType || !entry.accepts(requested.Item)) {
        return refused(TWCC_BADVALUE, line + " (refused: TWCC_BADVALUE)");
      }
      entry.current = requested.Item;
      return {TWRC_SUCCESS, TWCC_SUCCESS, line};
    }
    default:
      return refused(TWCC_CAPBADOPERATION, "MSG_" + std::to_string(msg) + " " + name + " (refused)");
  }
}

}  // namespace ostrel::virtualscanner
