#pragma once
// Rows of a page in the layout an encoder wants. Encoders see every page top-down
// in one of four layouts; the page's own rows are handed out unchanged when they
// already have it, and converted through one reusable row otherwise.
#include <cstdint>
#include <vector>

#include "imaging/dib.h"

namespace ostrel::writers {

// What a page holds, judged by its depth and colour table: 1-bit pages are
// bilevel, 8-bit pages with an all-grey table grey, every other page colour.
enum class PageKind { bilevel, grey, colour };
PageKind pageKind(const Dib& page);

enum class RowLayout {
  blackIsOne,  // 1 bit per pixel, a set bit is black (the fax convention)
  grey,        // 8 bits per pixel, 0 black
  rgb,         // 3 bytes per pixel, red first
  bgr,         // 3 bytes per pixel, blue first (the page's own 24-bit order)
};

// The layout that keeps a page's content: blackIsOne for bilevel, grey for grey,
// `colourLayout` for colour.
RowLayout layoutFor(PageKind kind, RowLayout colourLayout);

class RowReader {
 public:
  // The layout must suit the page: blackIsOne only for 1-bit pages, grey only for
  // grey pages; rgb and bgr for any 8- or 24-bit page.
  RowReader(const Dib& page, RowLayout layout);

  // Row y counted from the top; valid until the next call.
  const std::uint8_t* row(int y);
  // True when rows come straight from the page, so several may be held at once.
  bool direct() const { return direct_; }

 private:
  const Dib& page_;
  RowLayout layout_;
  bool direct_ = false;
  bool invertBits_ = false;
  RgbQuad palette_[256] = {};
  std::uint8_t grey_[256] = {};
  std::vector<std::uint8_t> buffer_;
};

}  // namespace ostrel::writers
