#pragma once
// Tells a blank side from a side with something on it, however little.
//
// The page is cut into cells of about 0.7 mm that count pixels darker than the
// paper by a contrast; touching inked cells form marks. A side is blank when
// none of its marks is writing. Set aside as not writing are:
//  - the scanner's backing and edge shadows: in each row and column, the cells
//    dark all over running in from the frame's edge, up to 15 mm (a picture
//    running off the page reaches further in, and writing next to the border
//    leaves its cells mostly light, so both stay);
//  - specks: marks smaller than a written stroke (noise, dust, fibres);
//  - the line a sheet's edge throws on a light backing (see edge_lines.h);
//  - punch holes: round marks 4.5 to 9 mm across centred within 18 mm of the
//    sheet's edge, dark all over on a dark backing, a ring or crescent on a
//    light one, whichever backing the profile names.
// Bleed-through from the back stays below the contrast.
//
// Sensitivity runs from 0 to 100 (50 by default): the higher it is, the more
// readily a side is called blank. It raises the contrast a mark needs (30 to
// 80 grey levels below white paper, less on darker paper in proportion, since
// ink takes a share of the paper's light: 55 at 50, between bleed-through and
// a light pencil line) and the size a mark needs to count as writing (0.8 to
// 2.8 mm across and 0.1 to 0.5 mm^2 of ink: 0.3 at 50, less than a thin "1"
// of 8-point print holds, more than two specks of dust that touch).
#include "imaging/cleanup/page_raster.h"

namespace ostrel {

struct BlankPageOptions {
  int sensitivity = 50;
  // The scanner's backing as the profile names it: on a light one the sheet's
  // edge is found from its edge line, up to 15 mm in.
  bool whiteBackground = true;
};

// The counts are of the marks looked at: the test stops at the first mark that
// is surely writing.
struct BlankPageVerdict {
  bool blank = false;
  int writing = 0;   // marks taken as writing
  int setAside = 0;  // marks taken as specks, edge lines or holes
};

BlankPageVerdict detectBlankPage(const PageRaster& page, const BlankPageOptions& options);

}  // namespace ostrel
