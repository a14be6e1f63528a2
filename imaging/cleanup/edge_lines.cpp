#include "imaging/cleanup/edge_lines.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ostrel {

namespace {

constexpr double kEdgeLineMm = 30;             // how long it is at least
constexpr double kEdgeLineWidthMm = 2;         // how far apart across the edge its pieces may lie
constexpr double kEdgeLineSpreadMm = 0.5;      // how far its cells stray from a straight line
constexpr double kEdgeLineTurn = 0.15;         // its slope against the edge at most (a sheet skewed 8 degrees)
constexpr double kEdgeLineInkMm2PerMm = 0.6;   // its dark area per mm of length at most
constexpr double kEdgeLineGapMm = 3;           // gaps between its pieces, or twice the piece before
constexpr double kLineReachMm = 1;             // how far a cell of a line may lie from it
// A corner's arm spreading less than this along (some 10 mm long) tells its
// own direction badly; it is taken square to the other arm.
constexpr double kShortArmMm = 3;

// The principal axis of a set of points: its angle from the rows (radians,
// -pi/2 .. pi/2), the points' centre, and their spread along it and across it
// (standard deviations in mm; across is small for a thin straight line).
struct Axis {
  double angle = 0, centreX = 0, centreY = 0, spreadAlong = 0, spreadAcross = 0;

  // How far a point lies from the axis's line.
  double distance(MarkPoint p) const {
    return std::abs((p.y - centreY) * std::cos(angle) - (p.x - centreX) * std::sin(angle));
  }
};

Axis principalAxis(const std::vector<MarkPoint>& points) {
  Axis axis;
  if (points.empty()) return axis;
  const double n = static_cast<double>(points.size());
  for (const MarkPoint& p : points) axis.centreX += p.x, axis.centreY += p.y;
  axis.centreX /= n, axis.centreY /= n;
  // Second moments about the centre.
  double a = 0, b = 0, c = 0;
  for (const MarkPoint& p : points) {
    const double u = p.x - axis.centreX, v = p.y - axis.centreY;
    a += u * u, b += u * v, c += v * v;
  }
  a /= n, b /= n, c /= n;
  const double mean = (a + c) / 2, half = std::sqrt((a - c) * (a - c) / 4 + b * b);
  axis.angle = 0.5 * std::atan2(2 * b, a - c);
  axis.spreadAlong = std::sqrt(std::max(0.0, mean + half));
  axis.spreadAcross = std::sqrt(std::max(0.0, mean - half));
  return axis;
}

// The same for a line of the given angle through the points' centre.
Axis axisAt(const std::vector<MarkPoint>& points, double angle) {
  Axis axis = principalAxis(points);
  axis.angle = std::remainder(angle, std::acos(-1.0));  // a line's direction repeats every half turn
  double along = 0, across = 0;
  for (const MarkPoint& p : points) {
    const double u = p.x - axis.centreX, v = p.y - axis.centreY;
    const double a = u * std::cos(axis.angle) + v * std::sin(axis.angle);
    const double c = v * std::cos(axis.angle) - u * std::sin(axis.angle);
    along += a * a, across += c * c;
  }
  const double n = static_cast<double>(std::max<std::size_t>(1, points.size()));
  axis.spreadAlong = std::sqrt(along / n);
  axis.spreadAcross = std::sqrt(across / n);
  return axis;
}

// Edges of the frame: 0 left, 1 right (lines along them run down the page),
// 2 top, 3 bottom (the stored first and last rows).
bool alongSide(int edge) { return edge < 2; }

double fromEdge(MarkPoint p, int edge, PageSize page) {
  switch (edge) {
    case 0: return p.x;
    case 1: return page.width - p.x;
    case 2: return p.y;
    default: return page.height - p.y;
  }
}

// Straight (cells close to one axis) and running along the edge, turned no
// more than a skewed sheet is; a short run has no direction to speak of.
bool runsAlong(const Axis& axis, int edge) {
  if (axis.spreadAcross > kEdgeLineSpreadMm) return false;
  const double turn = std::abs(alongSide(edge) ? std::cos(axis.angle) : std::sin(axis.angle));
  return axis.spreadAlong <= kEdgeLineSpreadMm || turn <= kEdgeLineTurn;
}

struct Piece {
  std::size_t index;         // of the mark it belongs to
  double from, to;           // along the edge
  double centre, across;     // a point of its line: along the edge, and across it
  double slope;              // across per along; 0 for a run too short to have a direction

  double acrossAt(double along) const { return across + slope * (along - centre); }
};

// The piece the cells make along the edge, or nothing when they hold more ink
// than a sheet's edge line: a line of even the smallest print is several
// strokes deep.
std::optional<Piece> pieceOf(std::size_t index, const std::vector<MarkPoint>& cells, const Axis& line, int edge,
                             double cellMm) {
  double from = 1e300, to = -1e300, ink = 0;
  for (const MarkPoint& p : cells) {
    const double along = alongSide(edge) ? p.y : p.x;
    from = std::min(from, along), to = std::max(to, along);
    ink += p.inkMm2;
  }
  // Cell centres: the cells themselves reach half a cell further each way.
  from -= cellMm / 2, to += cellMm / 2;
  if (ink > kEdgeLineInkMm2PerMm * (to - from)) return std::nullopt;
  const double dAlong = alongSide(edge) ? std::sin(line.angle) : std::cos(line.angle);
  const double dAcross = alongSide(edge) ? std::cos(line.angle) : std::sin(line.angle);
  const double slope = line.spreadAlong <= kEdgeLineSpreadMm ? 0 : dAcross / dAlong;
  return alongSide(edge) ? Piece{index, from, to, line.centreY, line.centreX, slope}
                         : Piece{index, from, to, line.centreX, line.centreY, slope};
}

// Cells off a mark's lines: dust or a stroke touching an edge line.
struct Strays {
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300, inkMm2 = 0;
  int cells = 0;

  void add(MarkPoint p, double cellMm) {
    left = std::min(left, p.x - cellMm / 2), right = std::max(right, p.x + cellMm / 2);
    top = std::min(top, p.y - cellMm / 2), bottom = std::max(bottom, p.y + cellMm / 2);
    inkMm2 += p.inkMm2;
    ++cells;
  }
  double extent() const { return cells ? std::max(right - left, bottom - top) : 0; }
};

// Fits `lines` lines (up to four) to the cells, each cell going to the line
// it lies nearest (a few rounds from `start`, the first guess of each cell's
// line). Cells further than 1 mm from every line are strays and steer no line.
constexpr int kMostLines = 4;

struct LineFit {
  Axis axes[kMostLines];
  std::vector<MarkPoint> on[kMostLines];
  std::vector<MarkPoint> strays;
};

template <typename Start>
LineFit fitLines(const std::vector<MarkPoint>& cells, int lines, Start start) {
  LineFit fit;
  for (const MarkPoint p : cells) fit.on[start(p)].push_back(p);
  for (int round = 0; round < 3; ++round) {
    for (int l = 0; l < lines; ++l) {
      if (fit.on[l].empty()) return fit;
      fit.axes[l] = principalAxis(fit.on[l]);
    }
    if (lines == 2) {
      // A sheet's corner is square: a short arm, whose own direction its few
      // cells tell badly, is turned square to the longer.
      const int longer = fit.axes[0].spreadAlong >= fit.axes[1].spreadAlong ? 0 : 1;
      if (fit.axes[1 - longer].spreadAlong < kShortArmMm) {
        fit.axes[1 - longer] = axisAt(fit.on[1 - longer], fit.axes[longer].angle + std::acos(0.0));
      }
    }
    for (int l = 0; l < lines; ++l) fit.on[l].clear();
    fit.strays.clear();
    for (const MarkPoint p : cells) {
      int nearest = 0;
      for (int l = 1; l < lines; ++l) {
        if (fit.axes[l].distance(p) < fit.axes[nearest].distance(p)) nearest = l;
      }
      if (fit.axes[nearest].distance(p) > kLineReachMm) {
        fit.strays.push_back(p);
      } else {
        fit.on[nearest].push_back(p);
      }
    }
  }
  return fit;
}

// The pieces of edge lines a mark holds: the mark itself when it is a straight
// run along an edge inside that edge's zone; two pieces when it is a corner,
// where the lines along a side and an end meet; three or four when the lines
// along that many edges meet (a sheet with the backing seen all round it);
// none otherwise. Each line must be straight along its edge, and what else the
// mark holds (dust on the line) no more than a speck.
void piecesOf(std::size_t index, const NearMark& near, PageSize page, double cellMm, const SpeckTest& speck,
              std::vector<Piece> (&pieces)[4]) {
  const auto inZone = [page](const std::vector<MarkPoint>& cells, int edge) {
    return std::all_of(cells.begin(), cells.end(),
                       [&](MarkPoint p) { return fromEdge(p, edge, page) <= kEdgeLineZoneMm; });
  };
  const auto specks = [&](const std::vector<MarkPoint>& off) {
    Strays strays;
    for (const MarkPoint p : off) strays.add(p, cellMm);
    return strays.cells == 0 || speck(strays.extent(), strays.inkMm2);
  };
  // Whether line l of the fit runs along edges[l], for every line; if so its
  // pieces are taken.
  const auto takeLines = [&](const LineFit& fit, const std::vector<int>& edges) {
    if (!specks(fit.strays)) return false;
    std::vector<Piece> found;
    for (std::size_t l = 0; l < edges.size(); ++l) {
      if (fit.on[l].empty() || !runsAlong(fit.axes[l], edges[l]) || !inZone(fit.on[l], edges[l])) return false;
      const auto piece = pieceOf(index, fit.on[l], fit.axes[l], edges[l], cellMm);
      if (!piece) return false;
      found.push_back(*piece);
    }
    for (std::size_t l = 0; l < edges.size(); ++l) pieces[edges[l]].push_back(found[l]);
    return true;
  };
  const LineFit single = fitLines(near.cells, 1, [](MarkPoint) { return 0; });
  for (int edge = 0; edge < 4; ++edge) {
    if (takeLines(single, {edge})) return;
  }
  for (const int side : {0, 1}) {
    for (const int end : {2, 3}) {
      // The first guess: when the mark's main line runs along one of the two
      // edges, the other arm is what lies off it; else each cell goes to the
      // edge it lies nearer. Then each goes to the nearer line.
      const int mainArm = single.on[0].empty()                 ? -1
                          : runsAlong(single.axes[0], side) ? 0
                          : runsAlong(single.axes[0], end)  ? 1
                                                            : -1;
      const LineFit corner = fitLines(near.cells, 2, [&](MarkPoint p) {
        if (mainArm >= 0) return single.axes[0].distance(p) <= kLineReachMm ? mainArm : 1 - mainArm;
        return fromEdge(p, side, page) < fromEdge(p, end, page) ? 0 : 1;
      });
      if (takeLines(corner, {side, end})) return;
    }
  }
  // Three or four edges' lines, long arms all: each cell goes first to the
  // edge it lies nearest.
  for (const std::vector<int>& edges : {std::vector<int>{0, 1, 2}, std::vector<int>{0, 1, 3},
                                        std::vector<int>{0, 2, 3}, std::vector<int>{1, 2, 3},
                                        std::vector<int>{0, 1, 2, 3}}) {
    const LineFit frame = fitLines(near.cells, static_cast<int>(edges.size()), [&](MarkPoint p) {
      std::size_t nearest = 0;
      for (std::size_t l = 1; l < edges.size(); ++l) {
        if (fromEdge(p, edges[l], page) < fromEdge(p, edges[nearest], page)) nearest = l;
      }
      return static_cast<int>(nearest);
    });
    if (takeLines(frame, edges)) return;
  }
}

}  // namespace

// A thin line along an edge may reach the cells in pieces: thinner than two
// pixels, it falls between the rows sampled, or spreads too faintly over two,
// for stretches about as long as those where it shows. Pieces lying along the
// same edge are chained.
std::vector<bool> findEdgeLines(const std::vector<NearMark>& marks, PageSize page, double cellMm,
                                const SpeckTest& speck, SheetInsets& insets) {
  std::vector<bool> edgeLine(marks.size(), false);
  std::vector<Piece> pieces[4];
  for (std::size_t i = 0; i < marks.size(); ++i) piecesOf(i, marks[i], page, cellMm, speck, pieces);
  std::vector<int> piecesLeft(marks.size(), 0);
  for (const auto& onEdge : pieces) {
    for (const Piece& piece : onEdge) ++piecesLeft[piece.index];
  }
  for (int edge = 0; edge < 4; ++edge) {
    std::vector<Piece>& onEdge = pieces[edge];
    std::sort(onEdge.begin(), onEdge.end(), [](const Piece& a, const Piece& b) { return a.from < b.from; });
    // Other marks may lie among the pieces (a hole's rim, dust), so each piece
    // joins whichever open chain it continues: it must lie on the line of the
    // chain's furthest piece, where the two overlap, or beyond its end, where
    // a skewed line drifts across as it goes. That drift is allowed over one
    // short gap at most: the furthest piece's own slope carries the line
    // further, so a small mark far along from a long line does not join it.
    struct Chain {
      double from, reach, lastLength, across;
      Piece front;  // the piece that reaches furthest
      std::vector<std::size_t> members;
    };
    const auto continues = [](const Chain& chain, const Piece& piece) {
      if (piece.from - chain.reach > std::max(kEdgeLineGapMm, 2 * chain.lastLength)) return false;
      const Piece& front = chain.front;
      const double at = piece.from >= front.to ? piece.from : (piece.from + std::min(piece.to, front.to)) / 2;
      const double drift = kEdgeLineTurn * std::min(std::max(0.0, piece.from - front.to), kEdgeLineGapMm);
      return std::abs(piece.acrossAt(at) - front.acrossAt(at)) <= kEdgeLineWidthMm + drift;
    };
    std::vector<Chain> chains;
    for (const Piece& piece : onEdge) {
      Chain* joined = nullptr;
      for (Chain& chain : chains) {
        if (continues(chain, piece)) {
          joined = &chain;
          break;
        }
      }
      if (!joined) {
        chains.push_back({piece.from, piece.to, 0, piece.across, piece, {}});
        joined = &chains.back();
      }
      if (piece.to >= joined->reach) joined->front = piece;
      joined->reach = std::max(joined->reach, piece.to);
      joined->lastLength = piece.to - piece.from;
      joined->across = piece.across;
      joined->members.push_back(piece.index);
    }
    for (const Chain& chain : chains) {
      if (chain.reach - chain.from < kEdgeLineMm) continue;
      for (const std::size_t index : chain.members) edgeLine[index] = --piecesLeft[index] == 0;
      switch (edge) {
        case 0: insets.left = std::max(insets.left, chain.across); break;
        case 1: insets.right = std::max(insets.right, page.width - chain.across); break;
        case 2: insets.top = std::max(insets.top, chain.across); break;
        default: insets.bottom = std::max(insets.bottom, page.height - chain.across); break;
      }
    }
  }
  return edgeLine;
}

}  // namespace ostrel
