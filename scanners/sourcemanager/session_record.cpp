#include "scanners/sourcemanager/session_record.h"

#include <cstdio>

namespace ostrel::virtualscanner {

using namespace twain;

std::string capabilityName(TW_UINT16 capability) {
  switch (capability) {
    case CAP_XFERCOUNT: return "CAP_XFERCOUNT";
    case ICAP_COMPRESSION: return "ICAP_COMPRESSION";
    case ICAP_PIXELTYPE: return "ICAP_PIXELTYPE";
    case ICAP_UNITS: return "ICAP_UNITS";
    case ICAP_XFERMECH: return "ICAP_XFERMECH";
    case CAP_FEEDERENABLED: return "CAP_FEEDERENABLED";
    case CAP_FEEDERLOADED: return "CAP_FEEDERLOADED";
    case CAP_DUPLEX: return "CAP_DUPLEX";
    case CAP_DUPLEXENABLED: return "CAP_DUPLEXENABLED";
    case ICAP_AUTOBRIGHT: return "ICAP_AUTOBRIGHT";
    case ICAP_BRIGHTNESS: return "ICAP_BRIGHTNESS";
    case ICAP_CONTRAST: return "ICAP_CONTRAST";
    case ICAP_FILTER: return "ICAP_FILTER";
    case ICAP_GAMMA: return "ICAP_GAMMA";
    case ICAP_PHYSICALWIDTH: return "ICAP_PHYSICALWIDTH";
    case ICAP_PHYSICALHEIGHT: return "ICAP_PHYSICALHEIGHT";
    case ICAP_XRESOLUTION: return "ICAP_XRESOLUTION";
    case ICAP_YRESOLUTION: return "ICAP_YRESOLUTION";
    case ICAP_AUTODISCARDBLANKPAGES: return "ICAP_AUTODISCARDBLANKPAGES";
    case ICAP_AUTOMATICBORDERDETECTION: return "ICAP_AUTOMATICBORDERDETECTION";
    case ICAP_AUTOMATICDESKEW: return "ICAP_AUTOMATICDESKEW";
    case ICAP_AUTOMATICROTATE: return "ICAP_AUTOMATICROTATE";
    default: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%04X", capability);
      return hex;
    }
  }
}

std::string itemTypeName(TW_UINT16 itemType) {
  switch (itemType) {
    case TWTY_INT8: return "TWTY_INT8";
    case TWTY_INT16: return "TWTY_INT16";
    case TWTY_INT32: return "TWTY_INT32";
    case TWTY_UINT8: return "TWTY_UINT8";
    case TWTY_UINT16: return "TWTY_UINT16";
    case TWTY_UINT32: return "TWTY_UINT32";
    case TWTY_BOOL: return "TWTY_BOOL";
    case TWTY_FIX32: return "TWTY_FIX32";
    default: return "TWTY_" + std::to_string(itemType);
  }
}

std::string conditionName(TW_UINT16 condition) {
  switch (condition) {
    case TWCC_BADVALUE: return "TWCC_BADVALUE";
    case TWCC_SEQERROR: return "TWCC_SEQERROR";
    case TWCC_CAPUNSUPPORTED: return "TWCC_CAPUNSUPPORTED";
    case TWCC_CAPBADOPERATION: return "TWCC_CAPBADOPERATION";
    case TWCC_BADPROTOCOL: return "TWCC_BADPROTOCOL";
    case TWCC_LOWMEMORY: return "TWCC_LOWMEMORY";
    case TWCC_OPERATIONERROR: return "TWCC_OPERATIONERROR";
    case TWCC_FILEWRITEERROR: return "TWCC_FILEWRITEERROR";
    default: return "TWCC_" + std::to_string(condition);
  }
}

std::string decimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  std::string out(text);
  while (out.back() == '0') out.pop_back();
  if (out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

std::string itemText(TW_UINT16 itemType, TW_UINT32 item) {
  switch (itemType) {
    case TWTY_INT8: return std::to_string(static_cast<std::int8_t>(item));
    case TWTY_INT16: return std::to_string(static_cast<std::int16_t>(item));
    case TWTY_INT32: return std::to_string(static_cast<std::int32_t>(item));
    case TWTY_UINT8: return std::to_string(static_cast<std::uint8_t>(item));
    case TWTY_UINT16:
    case TWTY_BOOL: return std::to_string(static_cast<std::uint16_t>(item));
    case TWTY_FIX32: return decimal(fromFix32(itemAsFix32(item)));
    default: return std::to_string(item);
  }
}

void SessionRecord::start(const std::string& path) {
  file_.close();
  file_.open(path, std::ios::binary | std::ios::trunc);
}

void SessionRecord::line(std::string_view text) {
  if (!file_) return;
  file_ << text << '\n';
  file_.flush();
}

}  // namespace ostrel::virtualscanner
