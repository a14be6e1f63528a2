#pragma once
// Step 4 of the page step: with a duplex job and Stitch not 0, each front page
// waits for its back page and the two go on as one page. Text recognised on
// the sides goes with them: on a joined page it is moved to where each side
// lies, the front's words before the back's.
#include <optional>
#include <vector>

#include "imaging/dib.h"
#include "imaging/ocr/page_text.h"
#include "app/scan/page_steps/page_steps.h"
#include "app/settings/profile_records.h"

namespace ostrel {

struct SidePage {
  Dib page;
  std::optional<ocr::PageText> text;
};

class PageStitcher {
 public:
  // The pages that go on to the next step, in order:
  //  - stitching off (not duplex, or Stitch 0): the page itself;
  //  - a front page: nothing, it is held (a front already held goes on alone,
  //    as its back never came);
  //  - a back page: the joined page; the back alone when no front is held;
  //    front and back as they are when they cannot be joined.
  std::vector<SidePage> add(SidePage page, PageSide side, bool duplex, const CScanSetting& profile);
  std::vector<Dib> add(Dib page, PageSide side, bool duplex, const CScanSetting& profile);

  // The front page still held when the job ends (an odd number of sides), so
  // the job can write it rather than lose it.
  std::optional<SidePage> takeHeldSide();
  std::optional<Dib> takeHeldFront();

 private:
  std::optional<SidePage> heldFront_;
};

}  // namespace ostrel
