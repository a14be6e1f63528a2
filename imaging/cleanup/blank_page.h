#pragma once
// The blank test of the page step (blank-page removal and blank-page batch
// separation), at the page's own resolution (the scan's when the page carries
// none). See blank_page_detector.h for what counts as blank.
#include "imaging/dib.h"

namespace ostrel {

// True when the page is blank. A page the test cannot judge counts as not
// blank, so no page is ever dropped by mistake.
struct BlankTest {
  int sensitivity = 0;        // as the scan profile's PageSensitivity
  bool whiteBackground = true;
  int scanResolution = 200;   // dots per inch, for a page that records none
};

bool IsBlankPage(const Dib& page, const BlankTest& test);

}  // namespace ostrel
