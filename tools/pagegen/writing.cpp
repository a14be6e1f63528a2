#include "tools/pagegen/writing.h"

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace ostrel::pagegen {

namespace {

using Path = std::vector<Point>;

// An elliptic arc in glyph units, angles in turns (0 = right, 0.25 = up).
Path arc(double cx, double cy, double rx, double ry, double from, double to) {
  Path path;
  const int steps = 14;
  for (int i = 0; i <= steps; ++i) {
    const double a = 2 * std::numbers::pi * (from + (to - from) * i / steps);
    path.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
  }
  return path;
}

// Glyph shapes of a text-like alphabet, in units of the x-height: baseline at
// y = 0, x-height at y = -1, ascenders to -1.45, descenders to 0.45.
struct Glyph {
  double advance;
  std::vector<Path> strokes;
};

Glyph glyph(Random& random, bool capital) {
  if (capital) {
    switch (random.between(0, 3)) {
      case 0: return {1.0, {{{0.1, 0}, {0.1, -1.4}}, {{0.1, -1.4}, {0.7, -1.4}}, {{0.1, -0.7}, {0.6, -0.7}}}};
      case 1: return {1.1, {{{0.05, 0}, {0.5, -1.4}, {0.95, 0}}, {{0.25, -0.5}, {0.75, -0.5}}}};
      case 2: return {1.1, {arc(0.55, -0.7, 0.45, 0.7, 0.1, 0.9)}};
      default: return {1.0, {{{0.1, 0}, {0.1, -1.4}}, {{0.8, 0}, {0.8, -1.4}}, {{0.1, -0.7}, {0.8, -0.7}}}};
    }
  }
  switch (random.between(0, 11)) {
    case 0: return {0.85, {arc(0.4, -0.5, 0.33, 0.5, 0, 1)}};                              // o
    case 1: return {0.4, {{{0.15, 0}, {0.15, -1.45}}}};                                     // l
    case 2: return {0.85, {{{0.1, 0}, {0.1, -1}}, arc(0.4, -0.55, 0.3, 0.45, 0.5, 0), {{0.7, -0.55}, {0.7, 0}}}};  // n
    case 3: return {0.85, {arc(0.38, -0.5, 0.3, 0.5, 0.1, 0.9), {{0.7, 0}, {0.7, -1.45}}}};  // d
    case 4: return {0.85, {{{0.1, 0}, {0.1, -1.45}}, arc(0.42, -0.5, 0.3, 0.5, 0.6, 1.4)}};  // b
    case 5: return {0.8, {arc(0.38, -0.5, 0.32, 0.5, 0.05, 0.92), {{0.07, -0.5}, {0.7, -0.5}}}};  // e
    case 6: return {0.4, {{{0.15, 0}, {0.15, -1}}, {{0.15, -1.35}, {0.15, -1.3}}}};          // i
    case 7: return {0.8, {{{0.0, -1}, {0.35, 0}, {0.7, -1}}}};                                // v
    case 8: return {0.85, {{{0.1, 0.45}, {0.1, -1}}, arc(0.42, -0.5, 0.3, 0.5, 0.6, 1.4)}};  // p
    case 9: return {0.55, {{{0.2, -1.3}, {0.2, -0.1}, {0.35, 0}, {0.5, -0.05}}, {{0.0, -1}, {0.45, -1}}}};  // t
    case 10: return {0.75, {arc(0.38, -0.5, 0.32, 0.5, 0.12, 0.88)}};                         // c
    default: return {1.25, {{{0.1, 0}, {0.1, -1}}, arc(0.33, -0.6, 0.22, 0.4, 0.5, 0), {{0.55, -0.6}, {0.55, 0}},
                            arc(0.77, -0.6, 0.22, 0.4, 0.5, 0), {{0.99, -0.6}, {0.99, 0}}}};  // m
  }
}

Path place(const Path& path, Point origin, double scale) {
  Path placed;
  placed.reserve(path.size());
  for (const Point& p : path) placed.push_back({origin.x + p.x * scale, origin.y + p.y * scale});
  return placed;
}

// Catmull-Rom through the points: the smooth line of a moving pen.
Path smooth(const Path& points, int steps) {
  if (points.size() < 3) return points;
  Path out;
  for (std::size_t i = 0; i + 1 < points.size(); ++i) {
    const Point p0 = points[i == 0 ? 0 : i - 1], p1 = points[i], p2 = points[i + 1];
    const Point p3 = points[i + 2 < points.size() ? i + 2 : i + 1];
    for (int s = 0; s < steps; ++s) {
      const double t = static_cast<double>(s) / steps, t2 = t * t, t3 = t2 * t;
      const auto blend = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
      };
      out.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y)});
    }
  }
  out.push_back(points.back());
  return out;
}

// Control points of cursive letters: humps, tall loops, small loops and
// descender loops, each advancing the pen by about one x-height.
void cursiveLetter(Random& random, Path& points, double& x, double xHeight, double size) {
  const double w = xHeight * random.uniform(0.7, 1.1) * size;
  const double h = xHeight * size;
  switch (random.between(0, 3)) {
    case 0:  // hump
      points.push_back({x + 0.2 * w, -h});
      points.push_back({x + 0.8 * w, -h * 0.9});
      points.push_back({x + w, 0});
      break;
    case 1:  // tall loop
      points.push_back({x + 0.5 * w, -h * 1.9});
      points.push_back({x + 0.2 * w, -h * 1.6});
      points.push_back({x + 0.6 * w, 0});
      points.push_back({x + w, -h * 0.3});
      break;
    case 2:  // small loop
      points.push_back({x + 0.6 * w, -h});
      points.push_back({x + 0.2 * w, -h * 0.6});
      points.push_back({x + 0.5 * w, 0});
      points.push_back({x + w, -h * 0.2});
      break;
    default:  // descender loop
      points.push_back({x + 0.3 * w, -h * 0.8});
      points.push_back({x + 0.5 * w, h * 0.8});
      points.push_back({x + 0.2 * w, h * 0.5});
      points.push_back({x + w, -h * 0.1});
      break;
  }
  x += w;
}

Path slanted(Path path, Point origin, double slant, Random& random, double jitter) {
  for (Point& p : path) {
    p.x += origin.x - p.y * slant + random.normal() * jitter;
    p.y += origin.y + random.normal() * jitter;
  }
  return path;
}

const std::vector<Path>& digitStrokes(int digit) {
  static const std::vector<std::vector<Path>> digits = {
      {arc(0.3, -0.5, 0.27, 0.5, 0, 1)},
      {{{0.12, -0.8}, {0.35, -1}, {0.35, 0}}},
      {{{0.05, -0.75}, {0.15, -0.95}, {0.35, -1}, {0.5, -0.9}, {0.55, -0.72}, {0.45, -0.5}, {0.05, 0}, {0.6, 0}}},
      {{{0.05, -0.9}, {0.3, -1}, {0.5, -0.9}, {0.5, -0.65}, {0.25, -0.52}, {0.55, -0.38}, {0.55, -0.12}, {0.3, 0},
        {0.05, -0.1}}},
      {{{0.45, 0}, {0.45, -1}, {0.0, -0.3}, {0.6, -0.3}}},
      {{{0.55, -1}, {0.1, -1}, {0.05, -0.55}, {0.3, -0.6}, {0.55, -0.45}, {0.55, -0.15}, {0.3, 0}, {0.05, -0.1}}},
      {{{0.5, -0.95}, {0.25, -0.9}, {0.07, -0.55}, {0.07, -0.2}, {0.3, 0}, {0.52, -0.15}, {0.52, -0.4}, {0.3, -0.55},
        {0.07, -0.4}}},
      {{{0.0, -1}, {0.6, -1}, {0.2, 0}}},
      {arc(0.3, -0.75, 0.2, 0.25, 0, 1), arc(0.3, -0.25, 0.26, 0.25, 0, 1)},
      {{{0.5, -0.6}, {0.3, -0.45}, {0.08, -0.6}, {0.08, -0.85}, {0.3, -1}, {0.52, -0.85}, {0.52, -0.4}, {0.35, -0.05},
        {0.1, 0}}},
  };
  return digits[static_cast<std::size_t>(digit)];
}

}  // namespace

double drawTextLine(Canvas& canvas, Random& random, Point baseline, double xHeight, double maxWidth,
                    const Pen& pen, int words) {
  double x = baseline.x;
  const double end = baseline.x + maxWidth;
  for (int w = 0; words < 0 || w < words; ++w) {
    const int letters = random.between(2, 9);
    const double wordWidth = letters * 0.8 * xHeight;
    if (x + wordWidth > end) break;
    for (int l = 0; l < letters; ++l) {
      const Glyph g = glyph(random, l == 0 && random.chance(0.15));
      for (const Path& stroke : g.strokes) {
        canvas.stroke(place(stroke, {x, baseline.y}, xHeight), pen.width, pen.colour, pen.opacity);
      }
      x += (g.advance + 0.12) * xHeight;
    }
    x += 0.6 * xHeight;
  }
  return x;
}

double drawHandwrittenWord(Canvas& canvas, Random& random, Point origin, double xHeight, const Pen& pen) {
  Path points{{0, -0.2 * xHeight}};
  double x = 0.2 * xHeight;
  const int letters = random.between(3, 7);
  for (int i = 0; i < letters; ++i) cursiveLetter(random, points, x, xHeight, random.uniform(0.85, 1.15));
  canvas.stroke(slanted(smooth(points, 8), origin, 0.3, random, xHeight * 0.01), pen.width, pen.colour,
                pen.opacity);
  return x;
}

void drawSignature(Canvas& canvas, Random& random, Point origin, double height, const Pen& pen) {
  const double xHeight = height / 3;
  // The initial: one large loop over the whole height.
  Path initial{{0, 0}, {xHeight * 0.6, -height}, {xHeight * 1.2, -height * 0.8}, {xHeight * 0.4, -xHeight * 0.5},
               {xHeight * 1.6, -xHeight * 0.3}};
  double x = xHeight * 1.6;
  const int letters = random.between(5, 9);
  for (int i = 0; i < letters; ++i) cursiveLetter(random, initial, x, xHeight, random.uniform(0.6, 1.4));
  canvas.stroke(slanted(smooth(initial, 8), origin, 0.35, random, xHeight * 0.02), pen.width, pen.colour,
                pen.opacity);
  const Path flourish{{-xHeight * 0.3, xHeight * 0.5}, {x * 0.4, xHeight * 0.8}, {x * 0.9, xHeight * 0.4},
                      {x * 1.05, xHeight * 0.1}};
  canvas.stroke(slanted(smooth(flourish, 10), origin, 0.0, random, xHeight * 0.01), pen.width * 0.8, pen.colour,
                pen.opacity);
}

double drawNumber(Canvas& canvas, int number, Point origin, double height, const Pen& pen) {
  const std::string digits = std::to_string(number < 0 ? -number : number);
  double x = origin.x;
  for (const char c : digits) {
    for (const Path& stroke : digitStrokes(c - '0')) {
      canvas.stroke(place(stroke, {x, origin.y}, height), pen.width, pen.colour, pen.opacity);
    }
    x += 0.75 * height;
  }
  return x - origin.x;
}

}  // namespace ostrel::pagegen
