#pragma once
// Fills the page's margins, hiding the scanner's backing and torn or dirty
// edges: the top and bottom EdgeCleanUpSize rows whole, and the leftmost and
// rightmost EdgeCleanUpSize pixels of the rows between, in white or black.
//
// 1-bit pages are filled in whole bytes: a byte holding both margin and inner
// pixels keeps the input's value, so side margins shrink to whole groups of
// eight pixels. A size of half the page or more fills the page completely;
// a size of 0 or less gives an equal copy.
#include <optional>

#include "imaging/dib.h"

namespace ostrel {

struct EdgeFill {
  int size = 0;  // pixels
  bool white = true;
};

// nullopt only when memory for the copy cannot be had.
std::optional<Dib> CleanEdges(const Dib& page, const EdgeFill& fill);

// The same on a page the caller owns, without a copy.
void CleanEdgesInPlace(Dib& page, const EdgeFill& fill);

}  // namespace ostrel
