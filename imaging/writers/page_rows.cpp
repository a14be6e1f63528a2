#include "imaging/writers/page_rows.h"

namespace ostrel::writers {

namespace {

bool greyTable(const Dib& page) {
  for (int i = 0; i < page.paletteSize(); ++i) {
    const RgbQuad q = page.paletteEntry(i);
    if (q.red != q.green || q.green != q.blue) return false;
  }
  return true;
}

bool identityGreyTable(const Dib& page) {
  for (int i = 0; i < page.paletteSize(); ++i) {
    if (page.paletteEntry(i).red != i) return false;
  }
  return true;
}

}  // namespace

PageKind pageKind(const Dib& page) {
  if (page.bitsPerPixel() == 1) return PageKind::bilevel;
  if (page.bitsPerPixel() == 8 && greyTable(page)) return PageKind::grey;
  return PageKind::colour;
}

RowLayout layoutFor(PageKind kind, RowLayout colourLayout) {
  switch (kind) {
    case PageKind::bilevel: return RowLayout::blackIsOne;
    case PageKind::grey: return RowLayout::grey;
    case PageKind::colour: break;
  }
  return colourLayout;
}

RowReader::RowReader(const Dib& page, RowLayout layout) : page_(page), layout_(layout) {
  const int bits = page.bitsPerPixel();
  for (int i = 0; i < page.paletteSize(); ++i) palette_[i] = page.paletteEntry(i);
  switch (layout) {
    case RowLayout::blackIsOne:
      // Scanners differ in which index is black; the colour table says.
      invertBits_ = page.zeroIsBlack();
      direct_ = !invertBits_;
      break;
    case RowLayout::grey:
      direct_ = identityGreyTable(page);
      for (int i = 0; i < 256; ++i) grey_[i] = palette_[i].red;
      break;
    case RowLayout::rgb:
      break;
    case RowLayout::bgr:
      direct_ = bits == 24;
      break;
  }
  if (!direct_) buffer_.resize(layout == RowLayout::blackIsOne ? page.stride() : 3 * page.width() + 1);
}

const std::uint8_t* RowReader::row(int y) {
  const std::uint8_t* source = page_.row(y);
  if (direct_) return source;
  std::uint8_t* out = buffer_.data();
  const int width = page_.width();
  switch (layout_) {
    case RowLayout::blackIsOne:
      for (std::size_t i = 0; i < buffer_.size(); ++i) out[i] = static_cast<std::uint8_t>(~source[i]);
      break;
    case RowLayout::grey:
      for (int x = 0; x < width; ++x) out[x] = grey_[source[x]];
      break;
    case RowLayout::rgb:
    case RowLayout::bgr: {
      const bool swap = layout_ == RowLayout::rgb;
      if (page_.bitsPerPixel() == 24) {
        for (int x = 0; x < width; ++x) {
          const std::uint8_t* p = source + 3 * x;
          out[3 * x] = swap ? p[2] : p[0];
          out[3 * x + 1] = p[1];
          out[3 * x + 2] = swap ? p[0] : p[2];
        }
      } else {
        for (int x = 0; x < width; ++x) {
          const RgbQuad& q = palette_[source[x]];
          out[3 * x] = swap ? q.red : q.blue;
          out[3 * x + 1] = q.green;
          out[3 * x + 2] = swap ? q.blue : q.red;
        }
      }
      break;
    }
  }
  return out;
}

}  // namespace ostrel::writers
