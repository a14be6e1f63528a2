#pragma once
// A TrueType font whose glyphs draw nothing: every character is an empty
// glyph half an em wide. A PDF's invisible text layer needs a font to place its
// words with, and any real font would only add weight to every document; with
// this one the words cost a few bytes each and the font a few hundred once.
#include <cstdint>
#include <vector>

namespace ostrel::pdf {

// Units per em of the font, and the advance of each of its glyphs.
inline constexpr int kGlyphlessUnitsPerEm = 1000;
inline constexpr int kGlyphlessAdvance = 500;
// Ascent and descent, in the same units: a word set at size s on baseline b
// covers b - 0.2 s to b + 0.8 s.
inline constexpr int kGlyphlessAscent = 800;
inline constexpr int kGlyphlessDescent = -200;

// The font file (sfnt version 1.0 with the tables head, hhea, maxp, hmtx, loca,
// glyf and post): glyph 0 is .notdef, glyph 1 the empty glyph.
std::vector<std::uint8_t> glyphlessFont();

}  // namespace ostrel::pdf
