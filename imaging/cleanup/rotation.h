#pragma once
// Quarter and half turns of a page. In page coordinates (x to the right, y
// down, width W, height H): RotateLeft moves (x, y) to (y, W - 1 - x),
// RotateRight to (H - 1 - y, x), Rotate180 to (W - 1 - x, H - 1 - y).
// 1-bit pixels move bit by bit (most significant bit first), 24-bit pixels keep
// their byte order. A quarter turn swaps the horizontal and vertical
// resolution along with the sides. nullopt only when the turned page would be
// larger than a page image may be.
#include <optional>

#include "imaging/dib.h"

namespace ostrel {

std::optional<Dib> RotateLeft(const Dib& page);   // 90 degrees counter-clockwise
std::optional<Dib> RotateRight(const Dib& page);  // 90 degrees clockwise
std::optional<Dib> Rotate180(const Dib& page);

}  // namespace ostrel
