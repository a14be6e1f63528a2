#pragma once
// What the virtual scanner's sensor sees: a sheet lying in the scan area,
// sampled at the requested resolution over the requested frame, delivered at
// the pixel type's depth (black and white 1 bit, grey 8, colour 24).
#include <optional>

#include "imaging/dib.h"
#include "scanners/sourcemanager/source_page.h"

namespace ostrel::virtualscanner {

enum class PixelType { BlackWhite, Grey, Colour };

// A rectangle of the scan area, in inches from its top left corner.
struct FrameInches {
  double left = 0, top = 0, right = 0, bottom = 0;
};

struct ScanGeometry {
  double xDpi = 300;
  double yDpi = 300;
  // The frame to sample; none: the sheet itself, edge to edge.
  std::optional<FrameInches> frame;
  // Where the sheet's left edge lies in the scan area, in inches (a feeder
  // that guides sheets along its middle puts narrow sheets off the edge).
  double sheetLeft = 0;
};

// True when the sheet has colour beyond the slight tint of paper and toner.
bool hasColour(const Dib& sheet);

// nullopt when the frame at this resolution is larger than an image may be.
// The page is drawn in memory from `memory` when given (the pages a source
// hands over, recycled), else in memory of its own.
std::optional<Dib> renderPage(const SourcePage& sheet, const ScanGeometry& geometry, PixelType type,
                              const Dib::Allocate& memory = {});

}  // namespace ostrel::virtualscanner
