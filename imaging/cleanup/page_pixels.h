#pragma once
// Small helpers shared by the clean-up operations: a new page shaped after an
// input, and how an input's palette maps its pixel values to grey.
#include <array>
#include <cstdint>
#include <optional>

#include "imaging/dib.h"

namespace ostrel {

// A zero-filled page of the given shape with the input's resolution and, when
// the depth is the input's, its colour table. nullopt when the shape is more
// than a page image may hold.
std::optional<Dib> newPageLike(const Dib& input, int width, int height, int bitsPerPixel);
// The same, for an operation that writes every pixel: the pixels are not cleared.
std::optional<Dib> newPageToOverwrite(const Dib& input, int width, int height, int bitsPerPixel);

// Grey level of every palette index of a 1- or 8-bit page (299/587/114 weights,
// integer division); for a grey ramp this is the index itself.
std::array<std::uint8_t, 256> paletteGreys(const Dib& page);

// (green x 587 + red x 299 + blue x 114) / 1000 of a blue, green, red pixel.
inline std::uint8_t greyOf(const std::uint8_t* bgr) {
  return static_cast<std::uint8_t>((bgr[1] * 587 + bgr[2] * 299 + bgr[0] * 114) / 1000);
}

// The byte that paints eight white (or black) pixels of a 1-bit page, whichever
// way round its palette is.
std::uint8_t oneBitFill(const Dib& page, bool white);

// Bytes of a row that hold pixels (the rest of the stride is padding).
inline std::size_t usedRowBytes(const Dib& page) {
  return (static_cast<std::size_t>(page.width()) * static_cast<std::size_t>(page.bitsPerPixel()) + 7) / 8;
}

}  // namespace ostrel
