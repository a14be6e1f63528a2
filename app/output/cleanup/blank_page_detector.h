#pragma once
// Tells a blank side from a side with something on it, however little.
//
// The page is cut into cells of about 0.7 mm that count pixels darker than the
// paper by a contrast; touching inked cells form marks. A side is blank when
// none of its marks is writing. Set aside as not writing are:
//  - specks: marks smaller than a written stroke (noise, dust, fibres);
//  - the scanner's backing and edge shadows: marks reaching the page's edge
//    that lie within 15 mm of it (a picture running off the page reaches
//    further in and counts as writing);
//  - the line a sheet's edge throws on a light backing: thin marks lying along
//    an edge within 10 mm of it, together 30 mm long or more;
//  - punch holes: round marks 4.5 to 9 mm across centred within 18 mm of an
//    edge, dark all over on a dark backing, a ring or crescent on a light one.
// Bleed-through from the back stays below the contrast.
//
// Sensitivity runs from 0 to 100 (50 by default): the higher it is, the more
// readily a side is called blank. It raises the contrast a mark needs (45 to
// 115 grey levels) and the size a mark needs to count as writing (0.8 to
// 2.8 mm across and 0.1 to 0.9 mm^2 of ink).
#include "app/output/cleanup/page_raster.h"

namespace ostrel {

struct BlankPageOptions {
  int sensitivity = 50;
  bool whiteBackground = true;  // the scanner's backing, seen outside the sheet and through holes
};

// The counts are of the marks looked at: the test stops at the first mark that
// is surely writing.
struct BlankPageVerdict {
  bool blank = false;
  int writing = 0;   // marks taken as writing
  int setAside = 0;  // marks taken as specks, borders, edge lines or holes
};

BlankPageVerdict detectBlankPage(const PageRaster& page, const BlankPageOptions& options);

}  // namespace ostrel
