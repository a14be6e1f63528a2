#include "imaging/cleanup/sheet_backing.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace ostrel {

namespace {

double median(std::vector<int>& runs) {
  if (runs.empty()) return 0;
  const auto middle = runs.begin() + static_cast<std::ptrdiff_t>(runs.size() / 2);
  std::nth_element(runs.begin(), middle, runs.end());
  return *middle;
}

std::size_t indexOf(const InkCells& ink, int column, int row) {
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(ink.columns) + static_cast<std::size_t>(column);
}

// The run in from an edge; cellAt(n) is the n-th cell in, as (column, row).
template <typename CellAt>
int runFromEdge(const InkCells& ink, int limit, CellAt cellAt) {
  int n = 0;
  while (n < limit) {
    const auto [column, row] = cellAt(n);
    if (!ink.inked(column, row)) break;
    ++n;
    if (2 * ink.counts[indexOf(ink, column, row)] < ink.capacity(column, row)) break;  // the crossing, taken last
  }
  return n;
}

}  // namespace

SheetInsets clearBacking(InkCells& ink, double deepestMm) {
  const int deepColumns = std::min(ink.columns, static_cast<int>(deepestMm / ink.cellWidthMm));
  const int deepRows = std::min(ink.rows, static_cast<int>(deepestMm / ink.cellHeightMm));
  std::vector<int> left(static_cast<std::size_t>(ink.rows)), right(left.size());
  std::vector<int> top(static_cast<std::size_t>(ink.columns)), bottom(top.size());
  for (int r = 0; r < ink.rows; ++r) {
    const auto at = static_cast<std::size_t>(r);
    left[at] = runFromEdge(ink, deepColumns, [r](int n) { return std::pair{n, r}; });
    right[at] = runFromEdge(ink, deepColumns, [r, &ink](int n) { return std::pair{ink.columns - 1 - n, r}; });
  }
  for (int c = 0; c < ink.columns; ++c) {
    const auto at = static_cast<std::size_t>(c);
    top[at] = runFromEdge(ink, deepRows, [c](int n) { return std::pair{c, n}; });
    bottom[at] = runFromEdge(ink, deepRows, [c, &ink](int n) { return std::pair{c, ink.rows - 1 - n}; });
  }
  // Cleared only once every run is measured, so corner cells count for both sides.
  for (int r = 0; r < ink.rows; ++r) {
    const auto at = static_cast<std::size_t>(r);
    for (int n = 0; n < left[at]; ++n) ink.counts[indexOf(ink, n, r)] = 0;
    for (int n = 0; n < right[at]; ++n) ink.counts[indexOf(ink, ink.columns - 1 - n, r)] = 0;
  }
  for (int c = 0; c < ink.columns; ++c) {
    const auto at = static_cast<std::size_t>(c);
    for (int n = 0; n < top[at]; ++n) ink.counts[indexOf(ink, c, n)] = 0;
    for (int n = 0; n < bottom[at]; ++n) ink.counts[indexOf(ink, c, ink.rows - 1 - n)] = 0;
  }
  return {median(left) * ink.cellWidthMm, median(top) * ink.cellHeightMm, median(right) * ink.cellWidthMm,
          median(bottom) * ink.cellHeightMm};
}

}  // namespace ostrel
