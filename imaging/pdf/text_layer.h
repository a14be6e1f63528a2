#pragma once
// The content-stream text of a page's recognised words: each word placed over
// its box on the image and stretched to the box's width, all words of a line on
// one baseline and at one size, so that selection, search and copying in a PDF
// viewer find the words where the image shows them, in reading order.
#include <string>

#include "imaging/ocr/page_text.h"

namespace ostrel::pdf {

struct PageGeometry {
  double widthPoints = 0, heightPoints = 0;
  double pointsPerPixelX = 0, pointsPerPixelY = 0;
};

// Invisible text (render mode 3) in the glyph-less font named fontResource,
// whose codes are UTF-16 units (Identity-H).
std::string invisibleText(const ocr::PageText& text, const PageGeometry& page, const std::string& fontResource);

// Visible black text in a monospaced standard font with WinAnsi encoding
// (Courier); characters it cannot show become "?".
std::string visibleText(const ocr::PageText& text, const PageGeometry& page, const std::string& fontResource);

}  // namespace ostrel::pdf
