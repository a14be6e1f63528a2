#pragma once
// The marks on a page: groups of touching inked cells, measured in
// millimetres, for the blank test to tell writing from dust, borders and holes.
#include <functional>
#include <vector>

#include "app/output/cleanup/ink_cells.h"

namespace ostrel {

// A cell of a mark: its centre in mm from the page's left and (stored) first
// row, and its dark area.
struct MarkPoint {
  double x = 0, y = 0;
  double inkMm2 = 0;
};

// The principal axis of a set of points: its angle from the rows (radians,
// -pi/2 .. pi/2), the points' centre, and their spread along it and across it
// (standard deviations in mm; across is small for a thin straight line).
struct Axis {
  double angle = 0, centreX = 0, centreY = 0, spreadAlong = 0, spreadAcross = 0;

  // How far a point lies from the axis's line.
  double distance(MarkPoint p) const;
};

Axis principalAxis(const std::vector<MarkPoint>& points);
// The same for a line of the given angle through the points' centre.
Axis axisAt(const std::vector<MarkPoint>& points, double angle);

struct Mark {
  // Bounding box in mm from the page's left and (stored) first row.
  double left = 0, top = 0, right = 0, bottom = 0;
  double inkMm2 = 0;         // dark area
  int cells = 0;             // inked cells
  // Least-squares circle through the cell centres, for telling punch holes.
  double circleX = 0, circleY = 0, circleRadius = 0, circleResidual = 0;
  Axis axis;                 // of the cell centres, for telling straight lines

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
