#pragma once
// The marks on a page: groups of touching inked cells, measured in
// millimetres, for the blank test to tell writing from dust, borders and holes.
#include <functional>
#include <vector>

#include "imaging/cleanup/ink_cells.h"

namespace ostrel {

// A cell of a mark: its centre in mm from the page's left and (stored) first
// row, and its dark area.
struct MarkPoint {
  double x = 0, y = 0;
  double inkMm2 = 0;
};

struct Mark {
  // Bounding box in mm from the page's left and (stored) first row.
  double left = 0, top = 0, right = 0, bottom = 0;
  double inkMm2 = 0;         // dark area
  int cells = 0;             // inked cells
  // Least-squares circle through the cell centres, for telling punch holes.
  double circleX = 0, circleY = 0, circleRadius = 0, circleResidual = 0;

  double width() const { return right - left; }
  double height() const { return bottom - top; }
  double centreX() const { return (left + right) / 2; }
  double centreY() const { return (top + bottom) / 2; }
};

// Hands each eight-connected group of inked cells to `visit`, with its cell
// centres, in the order of the stored rows, until `visit` answers false. The
// circle is fitted only to marks whose larger side lies within
// [circleFromMm, circleToMm].
void findMarks(const InkCells& ink, double circleFromMm, double circleToMm,
               const std::function<bool(const Mark&, const std::vector<MarkPoint>&)>& visit);

}  // namespace ostrel
