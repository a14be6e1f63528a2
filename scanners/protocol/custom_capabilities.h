#pragma once
// Custom capabilities of this family of scanners' data sources. What they do
// lies inside the data source; the program only sets them.
#include "scanners/protocol/twain_protocol.h"

namespace ostrel::twain {

inline constexpr TW_UINT16 kCapAutomaticSize = 0x9200;     // TWTY_BOOL: find the sheet's size
inline constexpr TW_UINT16 kCapBackgroundColour = 0x9219;  // TWTY_UINT16: the backing behind the sheet
inline constexpr TW_UINT16 kCapAutomaticColour = 0x9248;   // TWTY_BOOL: colour or grey by the sheet

}  // namespace ostrel::twain
