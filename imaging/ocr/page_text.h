#pragma once
// The text recognised on one page: its words in reading order, each with its
// box in page pixels (top-left origin) and where lines and paragraphs start.
// The writers lay it out from here: over the image in a PDF, as plain lines and
// paragraphs in text files.
#include <string>
#include <vector>

namespace ostrel::ocr {

struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

struct Word {
  std::string text;  // UTF-8
  Box box;
  bool startsLine = false;
  bool startsParagraph = false;
};

struct PageText {
  int width = 0, height = 0;  // of the page the boxes belong to, in pixels
  std::vector<Word> words;

  bool empty() const { return words.empty(); }
  // Lines joined by "\n", paragraphs separated by an empty line, words by one
  // space.
  std::string plainText() const;
  // The paragraphs, each as one string of its words (line breaks inside a
  // paragraph become spaces, so a word processor can reflow it).
  std::vector<std::string> paragraphs() const;
  // Another page's text moved by (dx, dy), appended as further paragraphs: the
  // text of two sides joined into one image.
  void append(const PageText& other, int dx, int dy);
};

}  // namespace ostrel::ocr
