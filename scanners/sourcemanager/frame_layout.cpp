#include "scanners/sourcemanager/frame_layout.h"

#include <string>

namespace ostrel::virtualscanner {

using namespace twain;

namespace {

TW_FRAME toFrame(const FrameInches& f) {
  return {toFix32(f.left), toFix32(f.top), toFix32(f.right), toFix32(f.bottom)};
}

}  // namespace

void FrameLayout::reset() {
  frame_ = bed_;
  set_ = false;
}

TW_UINT16 FrameLayout::handle(TW_UINT16 msg, TW_IMAGELAYOUT& layout, bool settable, TW_UINT32 pageNumber,
                              SessionRecord& record, TW_UINT16* condition) {
  const auto fail = [&](TW_UINT16 code) {
    *condition = code;
    return TWRC_FAILURE;
  };
  switch (msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT:
      record.line(msg == MSG_GETDEFAULT ? "MSG_GETDEFAULT DAT_IMAGELAYOUT" : "MSG_GET DAT_IMAGELAYOUT");
      layout.Frame = toFrame(msg == MSG_GETDEFAULT ? bed_ : frame_);
      layout.DocumentNumber = 1;
      layout.PageNumber = pageNumber;
      layout.FrameNumber = 1;
      return TWRC_SUCCESS;
    case MSG_SET: {
      const FrameInches f{fromFix32(layout.Frame.Left), fromFix32(layout.Frame.Top), fromFix32(layout.Frame.Right),
                          fromFix32(layout.Frame.Bottom)};
      std::string line = "MSG_SET DAT_IMAGELAYOUT " + decimal(f.left) + " " + decimal(f.top) + " " +
                         decimal(f.right) + " " + decimal(f.bottom);
      if (!settable) {
        record.line(line + " (refused: TWCC_SEQERROR)");
        return fail(TWCC_SEQERROR);
      }
      if (!(f.left >= 0 && f.top >= 0 && f.right > f.left && f.bottom > f.top)) {
        record.line(line + " (refused: TWCC_BADVALUE)");
        return fail(TWCC_BADVALUE);
      }
      record.line(line);
      frame_ = f;
      set_ = true;
      return TWRC_SUCCESS;
    }
    case MSG_RESET:
      record.line("MSG_RESET DAT_IMAGELAYOUT");
      if (!settable) return fail(TWCC_SEQERROR);
      reset();
      layout.Frame = toFrame(frame_);
      return TWRC_SUCCESS;
    default: return fail(TWCC_BADPROTOCOL);
  }
}

}  // namespace ostrel::virtualscanner
