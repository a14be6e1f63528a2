#include "imaging/cleanup/blank_page_detector.h"

#include <algorithm>
#include <vector>

#include "imaging/cleanup/edge_lines.h"
#include "imaging/cleanup/ink_cells.h"
#include "imaging/cleanup/page_marks.h"
#include "imaging/cleanup/sheet_backing.h"

namespace ostrel {

namespace {

struct Limits {
  int contrast;        // grey levels below white paper
  double extentMm;     // a mark's larger side
  double inkMm2;       // a mark's dark area
};

Limits limitsFor(int sensitivity) {
  const double s = std::clamp(sensitivity, 0, 100);
  return {static_cast<int>(30 + 0.5 * s), 0.8 + 0.02 * s, 0.1 + 0.004 * s};
}

constexpr double kBorderDepthMm = 15;  // how far the backing or a shadow reaches in
constexpr double kHoleZoneMm = 18;     // where punch-hole centres lie, from the sheet's edge
constexpr double kHoleMinMm = 4.5, kHoleMaxMm = 9;
constexpr double kRimMinMm = 2;  // the visible part of a rim's shadow may be short
constexpr double kRimRadiusMinMm = 1.8, kRimRadiusMaxMm = 4.5;
// How far a rim's cells may stray from its circle: cells on a circle lie up to
// about half a cell off it.
constexpr double kRimResidualMm = 0.4, kRimResidualCells = 0.45;

// A hole is told by its shape, size and place alone: the profile's background
// is often left at its default, white, over a dark backing.
bool isPunchHole(const Mark& mark, PageSize page, const SheetInsets& sheet, double cellMm) {
  const double larger = std::max(mark.width(), mark.height());
  if (larger < kRimMinMm || larger > kHoleMaxMm) return false;
  const double x = mark.centreX(), y = mark.centreY();
  const double fromEdge =
      std::min({x - sheet.left, y - sheet.top, page.width - sheet.right - x, page.height - sheet.bottom - y});
  if (fromEdge > kHoleZoneMm) return false;
  // A dark backing fills the hole: round and dark all over (a disc covers
  // pi / 4 of its box), where writing of that size is mostly paper.
  const double density = mark.inkMm2 / (mark.width() * mark.height());
  if (larger >= kHoleMinMm && std::min(mark.width(), mark.height()) >= larger / 1.5 && density >= 0.5) return true;
  // A light backing leaves only the rim's shadow, or part of it: cells on a
  // circle of a hole's radius. Digits and letters curve much tighter.
  return mark.circleRadius >= kRimRadiusMinMm && mark.circleRadius <= kRimRadiusMaxMm &&
         mark.circleResidual <= std::max(kRimResidualMm, kRimResidualCells * cellMm);
}

}  // namespace

BlankPageVerdict detectBlankPage(const PageRaster& page, const BlankPageOptions& options) {
  const Limits limits = limitsFor(options.sensitivity);
  InkCells ink = measureInk(page, limits.contrast);
  const PageSize size{ink.columns * ink.cellWidthMm, ink.rows * ink.cellHeightMm};
  const double cellMm = std::max(ink.cellWidthMm, ink.cellHeightMm);
  SheetInsets sheet = clearBacking(ink, kBorderDepthMm);
  BlankPageVerdict verdict;
  const SpeckTest speckSized = [&limits](double extentMm, double inkMm2) {
    return extentMm < limits.extentMm || inkMm2 < limits.inkMm2;
  };
  const auto speck = [&](const Mark& mark) { return speckSized(std::max(mark.width(), mark.height()), mark.inkMm2); };
  // Marks near the sheet's edges wait for the edge-line and hole tests, which
  // need all of them; writing anywhere else settles the question at once. On a
  // light backing the sheet's edge is found from its edge line, up to 15 mm in.
  std::vector<NearMark> nearEdges;
  const double zone =
      std::max(kEdgeLineZoneMm, kHoleZoneMm + kHoleMaxMm / 2) + (options.whiteBackground ? kEdgeLineZoneMm : 0);
  findMarks(ink, kRimMinMm, kHoleMaxMm, [&](const Mark& mark, const std::vector<MarkPoint>& cells) {
    // Near an edge even specks wait: they may be pieces of an edge line.
    const bool nearEdge = mark.left < sheet.left + zone || mark.top < sheet.top + zone ||
                          mark.right > size.width - sheet.right - zone ||
                          mark.bottom > size.height - sheet.bottom - zone;
    if (nearEdge) {
      nearEdges.push_back({mark, cells});
      return true;
    }
    if (speck(mark)) {
      ++verdict.setAside;
      return true;
    }
    ++verdict.writing;
    return false;
  });
  if (verdict.writing == 0) {
    const std::vector<bool> edgeLine = findEdgeLines(nearEdges, size, cellMm, speckSized, sheet);
    for (std::size_t i = 0; i < nearEdges.size(); ++i) {
      const Mark& mark = nearEdges[i].mark;
      if (speck(mark) || edgeLine[i] || isPunchHole(mark, size, sheet, cellMm)) {
        ++verdict.setAside;
      } else {
        ++verdict.writing;
      }
    }
  }
  verdict.blank = verdict.writing == 0;
  return verdict;
}

}  // namespace ostrel
