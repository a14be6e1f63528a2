#pragma once
// The scanner's backing seen around the sheet, and the shadows along its
// edges, taken off the ink cells before the blank test looks for marks.
#include "imaging/cleanup/ink_cells.h"

namespace ostrel {

// How far the sheet's edges lie in from the frame's, in mm (top is the stored
// first row).
struct SheetInsets {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// In every row and every column, the cells dark all over (at least half their
// samples) running in from the frame's edge, up to `deepestMm`, and the one
// cell beyond them where the sheet's edge crosses, are cleared. Writing close
// to the sheet's edge so stands on its own instead of joining the border (its
// strokes leave most of a cell light), and a picture running off the page
// keeps what lies deeper. The median run along each side is how far in the
// sheet's edge lies there.
SheetInsets clearBacking(InkCells& ink, double deepestMm);

}  // namespace ostrel
