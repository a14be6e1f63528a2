#pragma once
// The first look at a page for the blank test: the page cut into cells of
// about 0.7 mm, each counting the samples darker than the paper by at least a
// given contrast. One pass over (every other row of) the pixels; everything
// after works on the cells.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/cleanup/page_raster.h"

namespace ostrel {

struct InkCells {
  int columns = 0;
  int rows = 0;
  double cellWidthMm = 0;
  double cellHeightMm = 0;
  // Samples counted per cell; a colour pixel counts once per dark channel.
  std::vector<std::uint16_t> counts;
  // A cell holds ink when its count reaches this: two dark pixels, so lone
  // noisy pixels never do.
  int inkedCount = 2;
  // Page area in mm^2 that one counted sample stands for.
  double mm2PerCount = 0;
  // What was sampled, for the most a cell can count.
  int pageWidth = 0, pageHeight = 0;  // pixels
  int cellWidthPixels = 0, cellHeightPixels = 0;
  int rowStep = 1;           // every rowStep-th row is sampled
  int samplesPerPixel = 1;   // channels counted per pixel

  // The count of a cell dark all over: the last row and column of cells may
  // be cut short by the page's edge.
  int capacity(int column, int row) const {
    const int wide = std::min(cellWidthPixels, pageWidth - column * cellWidthPixels);
    const int high = std::min(cellHeightPixels, pageHeight - row * cellHeightPixels);
    return wide * ((high + rowStep - 1) / rowStep) * samplesPerPixel;
  }

  bool inked(int column, int row) const {
    return counts[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                  static_cast<std::size_t>(column)] >= inkedCount;
  }
};

// Counts samples darker than the paper level by `contrast` grey levels, scaled
// to the paper's lightness (contrast x paper / 255; for colour, per channel
// against that channel's paper level). 1-bit pages count black pixels
// whatever the contrast.
InkCells measureInk(const PageRaster& page, int contrast);

}  // namespace ostrel
