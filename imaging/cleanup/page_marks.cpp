#include "imaging/cleanup/page_marks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ostrel {

namespace {

// Fits x^2 + y^2 + a x + b y + c = 0 to the points (the algebraic circle fit)
// and measures the points' RMS distance from that circle.
void fitCircle(const std::vector<MarkPoint>& points, Mark& mark) {
  const std::size_t n = points.size();
  if (n < 3) return;
  double mx = 0, my = 0;
  for (const MarkPoint& p : points) mx += p.x, my += p.y;
  mx /= static_cast<double>(n), my /= static_cast<double>(n);
  // Centred sums keep the normal equations well conditioned.
  double suu = 0, svv = 0, suv = 0, suuu = 0, svvv = 0, suvv = 0, svuu = 0;
  for (const MarkPoint& p : points) {
    const double u = p.x - mx, v = p.y - my;
    suu += u * u, svv += v * v, suv += u * v;
    suuu += u * u * u, svvv += v * v * v, suvv += u * v * v, svuu += v * u * u;
  }
  const double det = suu * svv - suv * suv;
  if (std::fabs(det) < 1e-12) return;  // the points lie on a line
  const double bu = (suuu + suvv) / 2, bv = (svvv + svuu) / 2;
  const double uc = (bu * svv - bv * suv) / det, vc = (bv * suu - bu * suv) / det;
  const double radius = std::sqrt(uc * uc + vc * vc + (suu + svv) / static_cast<double>(n));
  double squares = 0;
  for (const MarkPoint& p : points) {
    const double d = std::hypot(p.x - mx - uc, p.y - my - vc) - radius;
    squares += d * d;
  }
  mark.circleX = mx + uc;
  mark.circleY = my + vc;
  mark.circleRadius = radius;
  mark.circleResidual = std::sqrt(squares / static_cast<double>(n));
}

}  // namespace

void findMarks(const InkCells& ink, double circleFromMm, double circleToMm,
               const std::function<bool(const Mark&, const std::vector<MarkPoint>&)>& visit) {
  // A frame of empty cells around the grid spares bounds checks on neighbours.
  const int stride = ink.columns + 2;
  std::vector<std::uint8_t> open(static_cast<std::size_t>(stride) * static_cast<std::size_t>(ink.rows + 2), 0);
  for (int r = 0; r < ink.rows; ++r) {
    for (int c = 0; c < ink.columns; ++c) {
      open[static_cast<std::size_t>((r + 1) * stride + c + 1)] = ink.inked(c, r);
    }
  }
  const int neighbours[8] = {-stride - 1, -stride, -stride + 1, -1, 1, stride - 1, stride, stride + 1};
  std::vector<int> group;
  std::vector<MarkPoint> centres;
  // Most cells are empty: a byte search finds the next unvisited inked one.
  std::size_t start = 0;
  while (const void* found = std::memchr(open.data() + start, 1, open.size() - start)) {
    start = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - open.data());
    open[start] = 0;
    group.assign(1, static_cast<int>(start));
    // The group itself is the queue: cells are appended as they are reached.
    for (std::size_t next = 0; next < group.size(); ++next) {
      for (const int offset : neighbours) {
        const int neighbour = group[next] + offset;
        if (!open[static_cast<std::size_t>(neighbour)]) continue;
        open[static_cast<std::size_t>(neighbour)] = 0;
        group.push_back(neighbour);
      }
    }
    int c0 = ink.columns, c1 = -1, r0 = ink.rows, r1 = -1;
    long counted = 0;
    centres.clear();
    for (const int cell : group) {
      const int column = cell % stride - 1, row = cell / stride - 1;
      c0 = std::min(c0, column), c1 = std::max(c1, column);
      r0 = std::min(r0, row), r1 = std::max(r1, row);
      const int count = ink.counts[static_cast<std::size_t>(row) * static_cast<std::size_t>(ink.columns) +
                                   static_cast<std::size_t>(column)];
      counted += count;
      centres.push_back({(column + 0.5) * ink.cellWidthMm, (row + 0.5) * ink.cellHeightMm, count * ink.mm2PerCount});
    }
    Mark mark;
    mark.left = c0 * ink.cellWidthMm;
    mark.right = (c1 + 1) * ink.cellWidthMm;
    mark.top = r0 * ink.cellHeightMm;
    mark.bottom = (r1 + 1) * ink.cellHeightMm;
    mark.inkMm2 = static_cast<double>(counted) * ink.mm2PerCount;
    mark.cells = static_cast<int>(group.size());
    const double larger = std::max(mark.width(), mark.height());
    if (larger >= circleFromMm && larger <= circleToMm) fitCircle(centres, mark);
    if (!visit(mark, centres)) return;
  }
}

}  // namespace ostrel
