#include "imaging/cleanup/colour_dropout.h"

#include <algorithm>
#include <cstdlib>

namespace ostrel {

namespace {

int greyLevel(int r, int g, int b) { return (r * 299 + g * 587 + b * 114) / 1000; }

// Below this chroma a colour counts as grey: paper, black and grey ink.
constexpr int kNeutralChroma = 12;

struct Chroma {
  int r, g, b, size;  // the colour less its grey level; size is the largest part
};

Chroma chromaOf(int r, int g, int b) {
  const int y = greyLevel(r, g, b);
  const Chroma c{r - y, g - y, b - y, 0};
  return {c.r, c.g, c.b, std::max({std::abs(c.r), std::abs(c.g), std::abs(c.b)})};
}

int distance(int r, int g, int b, int dr, int dg, int db, int metric) {
  const Chroma drop = chromaOf(dr, dg, db);
  if (metric == kDropoutRgbDistance || drop.size < kNeutralChroma) {
    return std::max({std::abs(r - dr), std::abs(g - dg), std::abs(b - db)});
  }
  const Chroma pixel = chromaOf(r, g, b);
  if (pixel.size < kNeutralChroma) return 1 << 20;  // greys never match a colour
  // The difference of the two chroma directions, each scaled to a largest part
  // of 128: a colour thinned with white keeps its direction.
  const auto part = [&](int p, int d) { return std::abs(p * drop.size - d * pixel.size) * 128 / (pixel.size * drop.size); };
  return std::max({part(pixel.r, drop.r), part(pixel.g, drop.g), part(pixel.b, drop.b)});
}

}  // namespace

int DoCustomColorDropOut(const std::uint8_t* rgb, std::uint8_t* grey, int outputKind, int width, int height,
                         int red, int green, int blue, int softness, int paperLevel, int range, int metric) {
  if (!rgb || !grey || width <= 0 || height <= 0) return 0;
  if (outputKind != kDropoutGreyOutput) return 0;
  if (metric != kDropoutRgbDistance && metric != kDropoutChromaDistance) return 0;
  // Distances never exceed 3 x 255, so larger settings mean the same as these.
  const int paper = std::clamp(paperLevel, 0, 255);
  const int fade = std::clamp(softness, 0, 1024);
  const int limit = std::clamp(range, -1, 1024);
  red = std::clamp(red, 0, 255), green = std::clamp(green, 0, 255), blue = std::clamp(blue, 0, 255);
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  for (std::size_t i = 0; i < pixels; ++i) {
    const int r = rgb[3 * i], g = rgb[3 * i + 1], b = rgb[3 * i + 2];
    const int own = greyLevel(r, g, b);
    const int d = distance(r, g, b, red, green, blue, metric);
    int value = own;
    if (d <= limit) {
      value = paper;
    } else if (d <= limit + fade) {
      value = paper + (own - paper) * (d - limit) / (fade + 1);
    }
    grey[i] = static_cast<std::uint8_t>(value);
  }
  return 1;
}

}  // namespace ostrel
