#pragma once
// Conversions between the three page depths. Pixels are read through the
// input's colour table, so a 1-bit page with white as 0 or an 8-bit page with
// any palette converts to the picture it shows; with the usual palettes the
// results are the plain arithmetic (set bit 255, grey value repeated).
// nullopt only when the result would be larger than a page image may be.
#include <optional>

#include "imaging/dib.h"

namespace ostrel {

// 8-bit page with a 256-step grey ramp; from 24 bits grey is
// (green x 587 + red x 299 + blue x 114) / 1000.
std::optional<Dib> ToGrey8(const Dib& page);

// 24-bit page; each pixel takes the colour its palette entry shows.
std::optional<Dib> ToColour24(const Dib& page);

// 1-bit page: grey below threshold gives a clear bit (black), otherwise a set
// bit (white); the palette is 0 = black, 1 = white.
std::optional<Dib> ToBlackWhite(const Dib& page, int threshold);

}  // namespace ostrel
