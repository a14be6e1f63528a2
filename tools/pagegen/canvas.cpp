#include "tools/pagegen/canvas.h"

#include <algorithm>
#include <cmath>

namespace ostrel::pagegen {

namespace {

std::uint8_t blendInk(std::uint8_t paper, std::uint8_t inkValue, double coverage) {
  const double multiplied = paper * (inkValue / 255.0);
  return static_cast<std::uint8_t>(std::lround(paper + (multiplied - paper) * coverage));
}

std::uint8_t blendPaint(std::uint8_t under, std::uint8_t colour, double coverage) {
  return static_cast<std::uint8_t>(std::lround(under + (colour - under) * coverage));
}

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

}  // namespace

Canvas::Canvas(Dib& dib, Rgb paper) : dib_(dib), width_(dib.width()), height_(dib.height()) {
  fillRect(0, 0, width_, height_, paper);
}

void Canvas::ink(int x, int y, Rgb colour, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
  coverage = clamp01(coverage);
  std::uint8_t* p = at(x, y);  // blue, green, red
  p[0] = blendInk(p[0], colour.b, coverage);
  p[1] = blendInk(p[1], colour.g, coverage);
  p[2] = blendInk(p[2], colour.r, coverage);
}

void Canvas::paint(int x, int y, Rgb colour, double coverage) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || coverage <= 0) return;
  coverage = clamp01(coverage);
  std::uint8_t* p = at(x, y);
  p[0] = blendPaint(p[0], colour.b, coverage);
  p[1] = blendPaint(p[1], colour.g, coverage);
  p[2] = blendPaint(p[2], colour.r, coverage);
}

Rgb Canvas::pixel(int x, int y) const {
  const std::uint8_t* p = dib_.row(y) + 3 * static_cast<std::size_t>(x);
  return {p[2], p[1], p[0]};
}

void Canvas::fillRect(int x, int y, int w, int h, Rgb colour) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(width_, x + w), y1 = std::min(height_, y + h);
  for (int yy = y0; yy < y1; ++yy) {
    std::uint8_t* p = at(x0, yy);
    for (int xx = x0; xx < x1; ++xx, p += 3) {
      p[0] = colour.b;
      p[1] = colour.g;
      p[2] = colour.r;
    }
  }
}

// Coverage from the distance to the segment: full inside half the width, a
// one-pixel soft edge outside, as a scanner's optics blur a pen line.
void Canvas::segment(Point a, Point b, double width, Rgb colour, double opacity) {
  const double half = width / 2;
  const int x0 = static_cast<int>(std::floor(std::min(a.x, b.x) - half - 1));
  const int x1 = static_cast<int>(std::ceil(std::max(a.x, b.x) + half + 1));
  const int y0 = static_cast<int>(std::floor(std::min(a.y, b.y) - half - 1));
  const int y1 = static_cast<int>(std::ceil(std::max(a.y, b.y) + half + 1));
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double lengthSquared = dx * dx + dy * dy;
  for (int y = std::max(0, y0); y <= std::min(height_ - 1, y1); ++y) {
    for (int x = std::max(0, x0); x <= std::min(width_ - 1, x1); ++x) {
      const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
      const double t = lengthSquared > 0 ? clamp01((px * dx + py * dy) / lengthSquared) : 0.0;
      const double ex = px - t * dx, ey = py - t * dy;
      const double distance = std::sqrt(ex * ex + ey * ey);
      const double coverage = clamp01(half - distance + 0.5);
      if (coverage > 0) ink(x, y, colour, coverage * opacity);
    }
  }
}

void Canvas::stroke(const std::vector<Point>& points, double width, Rgb colour, double opacity) {
  const auto place = [this](Point p) { return mirrored_ ? Point{width_ - p.x, p.y} : p; };
  if (points.size() == 1) segment(place(points[0]), place(points[0]), width, colour, opacity);
  for (std::size_t i = 1; i < points.size(); ++i) {
    segment(place(points[i - 1]), place(points[i]), width, colour, opacity);
  }
}

void Canvas::inkDisc(Point centre, double radius, Rgb colour, double opacity) {
  segment(centre, centre, 2 * radius, colour, opacity);
}

void Canvas::paintDisc(Point centre, double radius, Rgb colour) {
  const int x0 = static_cast<int>(std::floor(centre.x - radius - 1));
  const int x1 = static_cast<int>(std::ceil(centre.x + radius + 1));
  const int y0 = static_cast<int>(std::floor(centre.y - radius - 1));
  const int y1 = static_cast<int>(std::ceil(centre.y + radius + 1));
  for (int y = std::max(0, y0); y <= std::min(height_ - 1, y1); ++y) {
    for (int x = std::max(0, x0); x <= std::min(width_ - 1, x1); ++x) {
      const double distance = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y);
      paint(x, y, colour, clamp01(radius - distance + 0.5));
    }
  }
}

}  // namespace ostrel::pagegen
