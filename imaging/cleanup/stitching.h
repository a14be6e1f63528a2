#pragma once
// Joins a front page and its back page into one page (duplex with Stitch on).
//
// Both pages are first brought to the larger of their depths (ToGrey8 for 8,
// ToColour24 for 24). Stitch 2 puts the front above the back, each centred
// across (Above); side by side puts the front on the left, each centred down. Area no page covers is white on 1-bit pages;
// on 8- and 24-bit pages it takes the mean colour of the front's bottom row
// (side by side) or leftmost column (one above the other), so the join blends
// with the paper. The result has the front's resolution.
#include <optional>

#include "imaging/dib.h"

namespace ostrel {

// nullopt when the joined page would be larger than a page image may be; the
// caller then keeps both pages as they are.
enum class StitchLayout { SideBySide, Above };

std::optional<Dib> StitchPages(const Dib& front, const Dib& back, StitchLayout layout);

}  // namespace ostrel
