#include "imaging/writers/text_encoding.h"

namespace ostrel::writers {

std::vector<char32_t> decodeUtf8(const std::string& utf8) {
  std::vector<char32_t> out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool whole = length != 0 && i + static_cast<std::size_t>(length) <= utf8.size();
    char32_t value = length == 1 ? c : (c & (0x7F >> length));
    for (int k = 1; whole && k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
      whole = (next & 0xC0) == 0x80;
      value = (value << 6) | (next & 0x3F);
    }
    if (!whole) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    out.push_back(value);
    i += static_cast<std::size_t>(length);
  }
  return out;
}

std::optional<unsigned char> windows1252(char32_t c) {
  if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  struct Pair {
    char32_t unicode;
    unsigned char code;
  };
  static constexpr Pair kHigh[] = {
      {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
      {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
      {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
      {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
      {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F},
  };
  for (const Pair& pair : kHigh) {
    if (pair.unicode == c) return pair.code;
  }
  return std::nullopt;
}

}  // namespace ostrel::writers
