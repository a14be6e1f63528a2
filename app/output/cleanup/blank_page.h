#pragma once
// The blank test of the page step (blank-page removal and blank-page batch
// separation), by the scan profile's PageSensitivity and BackgroundColor, at
// the page's own resolution (the profile's Resolution when the page carries
// none). See blank_page_detector.h for what counts as blank.
#include "app/output/dib.h"
#include "app/settings/profile_records.h"

namespace ostrel {

// True when the page is blank. A page the test cannot judge counts as not
// blank, so no page is ever dropped by mistake.
bool IsBlankPage(const Dib& page, const CScanSetting& profile);

}  // namespace ostrel
