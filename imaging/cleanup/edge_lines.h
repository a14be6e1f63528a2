#pragma once
// The line a sheet's edge throws on a light scanner backing, told from writing
// near the edge. Such a line is thin, straight, faint in ink for its length,
// runs along one edge of the frame (turned no more than a skewed sheet is) and
// is 30 mm long or more, though it may reach the cells in pieces; where the
// lines along two edges meet, one mark holds the sheet's corner. A line of
// writing near the edge is no edge line: its letters spread its cells across
// the line and hold several strokes' ink.
#include <functional>
#include <vector>

#include "imaging/cleanup/page_marks.h"
#include "imaging/cleanup/sheet_backing.h"

namespace ostrel {

// How far from the frame's edge a sheet's edge line can lie, in mm.
inline constexpr double kEdgeLineZoneMm = 15;

struct PageSize {
  double width = 0, height = 0;  // mm
};

// A mark near the sheet's edges, with its cells.
struct NearMark {
  Mark mark;
  std::vector<MarkPoint> cells;
};

// Whether a mark of that larger side and dark area is a mere speck.
using SpeckTest = std::function<bool(double extentMm, double inkMm2)>;

// For each mark, whether it is an edge line (every line it holds in a long
// chain, nothing off its lines but a speck). `insets` moves in to edge lines
// found further in than it says. cellMm: the larger side of an ink cell.
std::vector<bool> findEdgeLines(const std::vector<NearMark>& marks, PageSize page, double cellMm,
                                const SpeckTest& speck, SheetInsets& insets);

}  // namespace ostrel
