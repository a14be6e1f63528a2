#include "app/output/cleanup/blank_page_detector.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/output/cleanup/ink_cells.h"
#include "app/output/cleanup/page_marks.h"

namespace ostrel {

namespace {

struct Limits {
  int contrast;        // grey levels below the paper
  double extentMm;     // a mark's larger side
  double inkMm2;       // a mark's dark area
};

Limits limitsFor(int sensitivity) {
  const double s = std::clamp(sensitivity, 0, 100);
  return {static_cast<int>(45 + 0.7 * s), 0.8 + 0.02 * s, 0.1 + 0.008 * s};
}

constexpr double kBorderDepthMm = 15;     // how far the backing or a shadow reaches in
constexpr double kEdgeZoneMm = 10;        // where a sheet's edge line can lie
constexpr double kEdgeLineMm = 30;        // how long it is at least
constexpr double kEdgeLineWidthMm = 2;    // how thick a piece of it is at most
constexpr double kEdgeLineGapMm = 3;      // gaps between its pieces, or twice the piece before
constexpr double kHoleZoneMm = 18;        // where punch-hole centres lie
constexpr double kHoleMinMm = 4.5, kHoleMaxMm = 9;
constexpr double kRimMinMm = 2;  // the visible part of a rim's shadow may be short
constexpr double kRimRadiusMinMm = 1.8, kRimRadiusMaxMm = 4.5;

struct PageSize {
  double width, height;  // mm
};

// A thin line along an edge may reach the cells in pieces: thinner than two
// pixels, it falls between the rows sampled, or spreads too faintly over two,
// for stretches about as long as those where it shows. Pieces lying along the
// same edge are chained; a chain of 30 mm or more is the sheet's edge, not
// writing.
void markEdgeLines(const std::vector<Mark>& marks, PageSize page, std::vector<bool>& edgeLine) {
  struct Piece {
    std::size_t index;
    double from, to, across;
  };
  for (int edge = 0; edge < 4; ++edge) {
    const bool alongSide = edge < 2;
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < marks.size(); ++i) {
      const Mark& m = marks[i];
      const double thickness = alongSide ? m.width() : m.height();
      const bool inZone = edge == 0   ? m.right <= kEdgeZoneMm
                          : edge == 1 ? m.left >= page.width - kEdgeZoneMm
                          : edge == 2 ? m.bottom <= kEdgeZoneMm
                                      : m.top >= page.height - kEdgeZoneMm;
      const double length = alongSide ? m.height() : m.width();
      if (!inZone || thickness > kEdgeLineWidthMm || length < 2 * thickness) continue;
      pieces.push_back(alongSide ? Piece{i, m.top, m.bottom, m.centreX()} : Piece{i, m.left, m.right, m.centreY()});
    }
    std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.from < b.from; });
    // Other marks may lie among the pieces (a hole's rim, dust), so each piece
    // joins whichever open chain it continues.
    struct Chain {
      double from, reach, lastLength, across;
      std::vector<std::size_t> members;
    };
    std::vector<Chain> chains;
    for (const Piece& piece : pieces) {
      Chain* joined = nullptr;
      for (Chain& chain : chains) {
        if (piece.from - chain.reach <= std::max(kEdgeLineGapMm, 2 * chain.lastLength) &&
            std::abs(piece.across - chain.across) <= kEdgeLineWidthMm) {
          joined = &chain;
          break;
        }
      }
      if (!joined) {
        chains.push_back({piece.from, piece.to, 0, piece.across, {}});
        joined = &chains.back();
      }
      joined->reach = std::max(joined->reach, piece.to);
      joined->lastLength = piece.to - piece.from;
      joined->across = piece.across;
      joined->members.push_back(piece.index);
    }
    for (const Chain& chain : chains) {
      if (chain.reach - chain.from < kEdgeLineMm) continue;
      for (const std::size_t index : chain.members) edgeLine[index] = true;
    }
  }
}

bool isPunchHole(const Mark& mark, PageSize page, bool whiteBackground) {
  const double larger = std::max(mark.width(), mark.height());
  if (larger < (whiteBackground ? kRimMinMm : kHoleMinMm) || larger > kHoleMaxMm) return false;
  const double x = mark.centreX(), y = mark.centreY();
  const double fromEdge = std::min({x, y, page.width - x, page.height - y});
  if (fromEdge > kHoleZoneMm) return false;
  if (!whiteBackground) {
    // The dark backing fills the hole: round and dark all over (a disc covers
    // pi / 4 of its box), where writing of that size is mostly paper.
    const double density = mark.inkMm2 / (mark.width() * mark.height());
    return std::min(mark.width(), mark.height()) >= larger / 1.5 && density >= 0.5;
  }
  // A light backing leaves only the rim's shadow, or part of it: cells on a
  // circle of a hole's radius. Digits and letters curve much tighter.
  return mark.circleRadius >= kRimRadiusMinMm && mark.circleRadius <= kRimRadiusMaxMm &&
         mark.circleResidual <= 0.3;
}

}  // namespace

BlankPageVerdict detectBlankPage(const PageRaster& page, const BlankPageOptions& options) {
  const Limits limits = limitsFor(options.sensitivity);
  const InkCells ink = measureInk(page, limits.contrast);
  const PageSize size{ink.columns * ink.cellWidthMm, ink.rows * ink.cellHeightMm};
  BlankPageVerdict verdict;
  // Marks near an edge wait for the edge-line and hole tests, which need all
  // of them; writing anywhere else settles the question at once.
  std::vector<Mark> nearEdges;
  const double zone = std::max(kEdgeZoneMm, kHoleZoneMm + kHoleMaxMm / 2);
  const auto speck = [&limits](const Mark& mark) {
    return std::max(mark.width(), mark.height()) < limits.extentMm || mark.inkMm2 < limits.inkMm2;
  };
  findMarks(ink, kRimMinMm, kHoleMaxMm, [&](const Mark& mark) {
    // The backing or a shadow hugs the edges; a picture running off the page
    // reaches further in and is writing.
    if (mark.touchesEdge && mark.depthMm <= kBorderDepthMm) {
      ++verdict.setAside;
      return true;
    }
    // Near an edge even specks wait: they may be pieces of an edge line.
    const bool nearEdge =
        mark.left < zone || mark.top < zone || mark.right > size.width - zone || mark.bottom > size.height - zone;
    if (nearEdge && !mark.touchesEdge) {
      nearEdges.push_back(mark);
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
    std::vector<bool> edgeLine(nearEdges.size(), false);
    markEdgeLines(nearEdges, size, edgeLine);
    for (std::size_t i = 0; i < nearEdges.size(); ++i) {
      const Mark& mark = nearEdges[i];
      if (speck(mark) || edgeLine[i] || isPunchHole(mark, size, options.whiteBackground)) {
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
