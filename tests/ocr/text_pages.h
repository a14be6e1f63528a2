#pragma once
// Pages with known text for the recognition tests and benchmarks: paragraphs
// set in DejaVu Sans at a given size on a white Letter page at 300 dpi, with
// the box of every word as it was drawn.
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "imaging/ocr/page_text.h"

namespace ostrel::testing {

struct DrawnWord {
  std::string text;
  ocr::Box box;  // pixels, top-left origin
};

struct TextPage {
  Dib page;
  std::vector<DrawnWord> words;  // in reading order
  std::vector<std::string> wordTexts() const;
};

// English and French prose to set.
std::string englishProse(int paragraphs);
std::string frenchProse(int paragraphs);

// Paragraphs (separated by "\n\n") at pointSize on a Letter page at 300 dpi,
// 8-bit grey, one-inch margins; the text stops where the page is full.
TextPage renderTextPage(const std::string& paragraphs, double pointSize);

// Words split at white space.
std::vector<std::string> splitWords(const std::string& text);

// The share of `expected` found in `got` in the same order (longest common
// subsequence over the expected count).
double wordsRightInOrder(const std::vector<std::string>& expected, const std::vector<std::string>& got);

}  // namespace ostrel::testing
