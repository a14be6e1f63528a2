#pragma once
// DAT_IMAGELAYOUT of a data source: the frame to scan, in inches of the scan
// area, the bed until the application sets one.
#include "scanners/protocol/twain_protocol.h"
#include "scanners/sourcemanager/page_renderer.h"
#include "scanners/sourcemanager/session_record.h"

namespace ostrel::virtualscanner {

class FrameLayout {
 public:
  explicit FrameLayout(FrameInches bed) : bed_(bed), frame_(bed) {}

  // Back to the bed, as when a session opens.
  void reset();
  const FrameInches& frame() const { return frame_; }
  // True once the application has set a frame.
  bool isSet() const { return set_; }

  // One triplet. A frame can be set only while settable (the source is open
  // and not enabled); pageNumber is the page the next transfer brings. A
  // failure puts its condition in *condition.
  twain::TW_UINT16 handle(twain::TW_UINT16 msg, twain::TW_IMAGELAYOUT& layout, bool settable,
                          twain::TW_UINT32 pageNumber, SessionRecord& record, twain::TW_UINT16* condition);

 private:
  FrameInches bed_;
  FrameInches frame_;
  bool set_ = false;
};

}  // namespace ostrel::virtualscanner
