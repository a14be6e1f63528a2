#pragma once
// Character conversions the text outputs share: recognised text is UTF-8, and
// PDF's standard fonts and RTF's fallback characters speak Windows-1252.
#include <optional>
#include <string>
#include <vector>

namespace ostrel::writers {

// The characters of UTF-8 text; a torn or invalid sequence gives U+FFFD for
// its first byte and decoding goes on after it.
std::vector<char32_t> decodeUtf8(const std::string& utf8);

// The Windows-1252 (PDF WinAnsiEncoding) code of a printable character, or
// nullopt when that code page has none.
std::optional<unsigned char> windows1252(char32_t c);

}  // namespace ostrel::writers
