#include "imaging/pdf/glyphless_font.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace ostrel::pdf {

namespace {

class Bytes {
 public:
  void u16(int v) {
    data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
    data.push_back(static_cast<std::uint8_t>(v & 0xff));
  }
  void u32(std::uint32_t v) {
    u16(static_cast<int>(v >> 16));
    u16(static_cast<int>(v & 0xffff));
  }
  void zeros(std::size_t n) { data.insert(data.end(), n, 0); }
  std::vector<std::uint8_t> data;
};

std::uint32_t checksum(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) word = (word << 8) | (i + k < bytes.size() ? bytes[i + k] : 0u);
    sum += word;
  }
  return sum;
}

constexpr int kGlyphs = 2;

Bytes head() {
  Bytes t;
  t.u32(0x00010000);  // version
  t.u32(0x00010000);  // font revision
  t.u32(0);           // checksum adjustment, set once the whole font is known
  t.u32(0x5F0F3CF5);  // magic number
  t.u16(0x000B);      // baseline at y 0, left side bearing at x 0, integer scaling
  t.u16(kGlyphlessUnitsPerEm);
  t.zeros(16);        // created and modified: no dates, the font is the same every time
  t.u16(0);           // xMin
  t.u16(kGlyphlessDescent);
  t.u16(kGlyphlessAdvance);
  t.u16(kGlyphlessAscent);
  t.u16(0);  // mac style
  t.u16(3);  // smallest readable size in pixels
  t.u16(2);  // font direction hint: left to right with neutrals
  t.u16(0);  // short loca offsets
  t.u16(0);  // glyph data format
  return t;
}

Bytes hhea() {
  Bytes t;
  t.u32(0x00010000);
  t.u16(kGlyphlessAscent);
  t.u16(kGlyphlessDescent);
  t.u16(0);  // line gap
  t.u16(kGlyphlessAdvance);
  t.u16(0);  // min left side bearing
  t.u16(0);  // min right side bearing
  t.u16(0);  // x max extent
  t.u16(1);  // caret slope rise: upright
  t.u16(0);  // caret slope run
  t.u16(0);  // caret offset
  t.zeros(8);
  t.u16(0);  // metric data format
  t.u16(kGlyphs);
  return t;
}

Bytes maxp() {
  Bytes t;
  t.u32(0x00010000);
  t.u16(kGlyphs);
  t.zeros(8);  // points and contours, simple and composite: none
  t.u16(2);    // zones
  t.zeros(16);
  return t;
}

Bytes hmtx() {
  Bytes t;
  for (int i = 0; i < kGlyphs; ++i) {
    t.u16(kGlyphlessAdvance);
    t.u16(0);
  }
  return t;
}

Bytes loca() {
  Bytes t;
  for (int i = 0; i <= kGlyphs; ++i) t.u16(0);  // every glyph empty
  return t;
}

Bytes post() {
  Bytes t;
  t.u32(0x00030000);  // no glyph names
  t.u32(0);           // italic angle
  t.u16(-100);        // underline position
  t.u16(50);          // underline thickness
  t.u32(0);           // proportional
  t.zeros(16);
  return t;
}

}  // namespace

std::vector<std::uint8_t> glyphlessFont() {
  // In the order of their tags, as the table directory wants them.
  std::array<std::pair<const char*, Bytes>, 7> tables = {{
      {"glyf", Bytes{}},
      {"head", head()},
      {"hhea", hhea()},
      {"hmtx", hmtx()},
      {"loca", loca()},
      {"maxp", maxp()},
      {"post", post()},
  }};
  const int count = static_cast<int>(tables.size());
  int power = 1, log2 = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++log2;
  }
  Bytes font;
  font.u32(0x00010000);
  font.u16(count);
  font.u16(power * 16);
  font.u16(log2);
  font.u16(count * 16 - power * 16);
  std::uint32_t offset = 12 + 16 * static_cast<std::uint32_t>(count);
  std::size_t headOffset = 0;
  for (auto& [tag, table] : tables) {
    const std::string name = tag;
    for (char c : name) font.data.push_back(static_cast<std::uint8_t>(c));
    font.u32(checksum(table.data));
    font.u32(offset);
    font.u32(static_cast<std::uint32_t>(table.data.size()));
    if (name == "head") headOffset = offset;
    offset += static_cast<std::uint32_t>((table.data.size() + 3) & ~std::size_t{3});
  }
  for (auto& [tag, table] : tables) {
    font.data.insert(font.data.end(), table.data.begin(), table.data.end());
    font.zeros(((table.data.size() + 3) & ~std::size_t{3}) - table.data.size());
  }
  const std::uint32_t adjustment = 0xB1B0AFBAu - checksum(font.data);
  for (int i = 0; i < 4; ++i) font.data[headOffset + 8 + i] = static_cast<std::uint8_t>(adjustment >> (24 - 8 * i));
  return std::move(font.data);
}

}  // namespace ostrel::pdf
