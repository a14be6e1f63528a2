#include "imaging/pdf/text_layer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imaging/pdf/glyphless_font.h"
#include "imaging/writers/text_encoding.h"

namespace ostrel::pdf {

namespace {

// Courier's advance, in thousandths of the size, for every character.
constexpr double kCourierAdvance = 0.6;

// Numbers with at most three decimals and a dot, whatever the locale.
std::string number(double value) {
  const long long thousandths = std::llround(value * 1000.0);
  const long long whole = thousandths / 1000;
  long long fraction = std::llabs(thousandths % 1000);
  std::string text = (thousandths < 0 && whole == 0 ? "-" : "") + std::to_string(whole);
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03lld", fraction);
    std::string f = digits;
    while (f.back() == '0') f.pop_back();
    text += f;
  }
  return text;
}

// One line's words share the line's height: a size and a baseline for all.
struct LinePlacement {
  double size, baseline;
};

template <typename EmitWord>
std::string placeWords(const ocr::PageText& text, const PageGeometry& page, const std::string& opening,
                       EmitWord emitWord) {
  std::string out = opening;
  const std::vector<ocr::Word>& words = text.words;
  for (std::size_t first = 0; first < words.size();) {
    std::size_t end = first + 1;
    while (end < words.size() && !words[end].startsLine) ++end;
    int top = words[first].box.top, bottom = words[first].box.bottom;
    for (std::size_t i = first; i < end; ++i) {
      top = std::min(top, words[i].box.top);
      bottom = std::max(bottom, words[i].box.bottom);
    }
    const double height = std::max(1, bottom - top) * page.pointsPerPixelY;
    // The font spans 0.8 of its size above the baseline and 0.2 below.
    const double baseline = page.heightPoints - bottom * page.pointsPerPixelY -
                            height * kGlyphlessDescent / (kGlyphlessAscent - kGlyphlessDescent);
    const LinePlacement line{height, baseline};
    for (std::size_t i = first; i < end; ++i) out += emitWord(words[i], line);
    first = end;
  }
  return out + "ET\n";
}

std::string placement(const ocr::Word& word, const LinePlacement& line, const PageGeometry& page,
                      const std::string& fontResource, std::size_t characters, double advance) {
  const double width = std::max(1, word.box.width()) * page.pointsPerPixelX;
  const double scaling = 100.0 * width / (static_cast<double>(std::max<std::size_t>(characters, 1)) * advance * line.size);
  return "/" + fontResource + " " + number(line.size) + " Tf " + number(scaling) + " Tz 1 0 0 1 " +
         number(word.box.left * page.pointsPerPixelX) + " " + number(line.baseline) + " Tm ";
}

}  // namespace

std::string invisibleText(const ocr::PageText& text, const PageGeometry& page, const std::string& fontResource) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const double advance = static_cast<double>(kGlyphlessAdvance) / kGlyphlessUnitsPerEm;
  return placeWords(text, page, "BT\n3 Tr\n", [&](const ocr::Word& word, const LinePlacement& line) {
    std::string hex;
    std::size_t characters = 0;
    for (char32_t c : writers::decodeUtf8(word.text)) {
      // The font's codes are single UTF-16 units; beyond them stands the replacement character.
      const auto unit = static_cast<std::uint16_t>(c > 0xFFFF || (c >= 0xD800 && c <= 0xDFFF) ? 0xFFFD : c);
      for (int shift = 12; shift >= 0; shift -= 4) hex += kHex[(unit >> shift) & 0xF];
      ++characters;
    }
    return placement(word, line, page, fontResource, characters, advance) + "<" + hex + "> Tj\n";
  });
}

std::string visibleText(const ocr::PageText& text, const PageGeometry& page, const std::string& fontResource) {
  return placeWords(text, page, "BT\n0 g\n", [&](const ocr::Word& word, const LinePlacement& line) {
    std::string literal;
    std::size_t characters = 0;
    for (char32_t c : writers::decodeUtf8(word.text)) {
      const unsigned char code = writers::windows1252(c).value_or('?');
      if (code == '(' || code == ')' || code == '\\') literal += '\\';
      literal += static_cast<char>(code);
      ++characters;
    }
    return placement(word, line, page, fontResource, characters, kCourierAdvance) + "(" + literal + ") Tj\n";
  });
}

}  // namespace ostrel::pdf
