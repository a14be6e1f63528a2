#pragma once
// What the scan-settings preview shows of the current settings: colour
// dropout when the mode is not colour, the brightness and contrast tone curve,
// and the black-and-white threshold.
#include <array>
#include <cstdint>
#include <optional>

#include "imaging/dib.h"

namespace ostrel {

enum class PreviewMode { BlackWhite, Grey, Colour };

struct DropoutColour {
  int red = 128, green = 128, blue = 128;
  int range = 0;
};

struct PreviewSettings {
  PreviewMode mode = PreviewMode::Colour;
  int brightness = 100;  // 100 leaves the levels as they are
  int contrast = 100;    // 100 leaves the levels as they are; 200 is taken as 199
  int threshold = 128;   // black and white: levels at or above become white
  std::optional<DropoutColour> dropout;  // none: no dropout whatever the mode
};

// Entry i = (B - 100) x 256 / 200 + |tan(C / 100 x pi / 4)| x (i - 128) + 128,
// truncated and clamped to 0..255.
std::array<std::uint8_t, 256> ToneCurve(int brightness, int contrast);

// The preview image as a 24-bit page (other depths are converted first).
// nullopt only when memory for the result cannot be had.
std::optional<Dib> ProcessPreview(const Dib& preview, const PreviewSettings& settings);

}  // namespace ostrel
