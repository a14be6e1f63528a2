#pragma once
// Custom colour dropout for the scan-settings preview: the call shape of an
// outside dropout library, done by our own code. Pixels near the dropout colour
// become paper; all others become their grey level.
#include <cstdint>

namespace ostrel {

inline constexpr int kDropoutGreyOutput = 2;  // outputKind: one grey byte per pixel
inline constexpr int kDropoutRgbDistance = 1;     // metric: largest channel difference
inline constexpr int kDropoutChromaDistance = 2;  // metric: direction of the colour, lightness aside

// rgb: width x height pixels, top row first, red, green, blue, no padding.
// grey: width x height bytes, filled on success.
// A pixel whose distance to (red, green, blue) is at most `range` becomes
// `paperLevel`; up to `range + softness` it fades into its own grey level
// (299/587/114 weights); beyond, it is its grey level. With the chroma metric
// each colour less its grey level gives a direction, scaled so its largest part
// is 128, and the distance is the largest difference of the two directions:
// light and dark shades of a form's colour (the colour thinned with white
// paper, or deepened) drop alike, while greys (paper, black and grey ink)
// never drop. A grey dropout colour falls back to the channel difference.
// Returns 1 on success, 0 for a null buffer, a size of 0 or less, or an
// unknown output kind or metric (grey is then left untouched).
int DoCustomColorDropOut(const std::uint8_t* rgb, std::uint8_t* grey, int outputKind, int width, int height,
                         int red, int green, int blue, int softness, int paperLevel, int range, int metric);

}  // namespace ostrel
