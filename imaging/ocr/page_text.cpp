#include "imaging/ocr/page_text.h"

namespace ostrel::ocr {

std::string PageText::plainText() const {
  std::string text;
  for (const Word& word : words) {
    if (!text.empty()) text += word.startsParagraph ? "\n\n" : word.startsLine ? "\n" : " ";
    text += word.text;
  }
  return text;
}

std::vector<std::string> PageText::paragraphs() const {
  std::vector<std::string> result;
  for (const Word& word : words) {
    if (result.empty() || word.startsParagraph) {
      result.push_back(word.text);
    } else {
      result.back() += " " + word.text;
    }
  }
  return result;
}

void PageText::append(const PageText& other, int dx, int dy) {
  bool first = true;
  for (Word word : other.words) {
    word.box.left += dx;
    word.box.right += dx;
    word.box.top += dy;
    word.box.bottom += dy;
    if (first) word.startsLine = word.startsParagraph = true;
    first = false;
    words.push_back(std::move(word));
  }
}

}  // namespace ostrel::ocr
