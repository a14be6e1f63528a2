#include "tools/pagegen/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

void Canvas::inkLayer(const Dib& layer, double opacity) {
  const int scale = static_cast<int>(std::lround(std::clamp(opacity, 0.0, 1.0) * 256));
  for (int y = 0; y < std::min(height_, layer.height()); ++y) {
    const std::uint8_t* over = layer.row(y);
    std::uint8_t* p = at(0, y);
    for (int x = 0; x < std::min(width_, layer.width()); ++x, p += 3) {
      const int darkness = (255 - over[3 * x + 1]) * scale;  // 0 .. 255 x 256
      if (darkness == 0) continue;
      for (int c = 0; c < 3; ++c) p[c] = static_cast<std::uint8_t>(p[c] - p[c] * darkness / (255 * 256));
    }
  }
}

void Canvas::place(const Dib& sheet, int x, int y) {
  const int x0 = std::max(0, x), x1 = std::min(width_, x + sheet.width());
  if (x0 >= x1) return;
  for (int row = std::max(0, y); row < std::min(height_, y + sheet.height()); ++row) {
    std::memcpy(at(x0, row), sheet.row(row - y) + 3 * static_cast<std::size_t>(x0 - x),
                3 * static_cast<std::size_t>(x1 - x0));
  }
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
// one-pixel soft edge outside, as a scanner's optics blur a pen line. A stroke
// collects the largest coverage of its segments first and inks once, so joints
// are no darker than the line.
void Canvas::stroke(const std::vector<Point>& points, double width, Rgb colour, double opacity) {
  if (points.empty()) return;
  std::vector<Point> placed;
  placed.reserve(points.size());
  for (const Point& p : points) placed.push_back(mirrored_ ? Point{width_ - p.x, p.y} : p);
  const double half = width / 2;
  double minX = placed[0].x, maxX = placed[0].x, minY = placed[0].y, maxY = placed[0].y;
  for (const Point& p : placed) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  const int x0 = std::max(0, static_cast<int>(std::floor(minX - half - 1)));
  const int y0 = std::max(0, static_cast<int>(std::floor(minY - half - 1)));
  const int x1 = std::min(width_ - 1, static_cast<int>(std::ceil(maxX + half + 1)));
  const int y1 = std::min(height_ - 1, static_cast<int>(std::ceil(maxY + half + 1)));
  if (x0 > x1 || y0 > y1) return;
  const int maskWidth = x1 - x0 + 1;
  std::vector<float> mask(static_cast<std::size_t>(maskWidth) * static_cast<std::size_t>(y1 - y0 + 1), 0.0f);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const Point a = placed[i == 0 ? 0 : i - 1], b = placed[i];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double lengthSquared = dx * dx + dy * dy;
    const int sx0 = std::max(x0, static_cast<int>(std::floor(std::min(a.x, b.x) - half - 1)));
    const int sx1 = std::min(x1, static_cast<int>(std::ceil(std::max(a.x, b.x) + half + 1)));
    const int sy0 = std::max(y0, static_cast<int>(std::floor(std::min(a.y, b.y) - half - 1)));
    const int sy1 = std::min(y1, static_cast<int>(std::ceil(std::max(a.y, b.y) + half + 1)));
    for (int y = sy0; y <= sy1; ++y) {
      for (int x = sx0; x <= sx1; ++x) {
        const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
        const double t = lengthSquared > 0 ? clamp01((px * dx + py * dy) / lengthSquared) : 0.0;
        const double ex = px - t * dx, ey = py - t * dy;
        const auto coverage = static_cast<float>(clamp01(half - std::sqrt(ex * ex + ey * ey) + 0.5));
        float& cell = mask[static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(maskWidth) +
                           static_cast<std::size_t>(x - x0)];
        cell = std::max(cell, coverage);
      }
    }
  }
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float coverage =
          mask[static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(maskWidth) + static_cast<std::size_t>(x - x0)];
      if (coverage > 0) ink(x, y, colour, coverage * opacity);
    }
  }
}

void Canvas::inkDisc(Point centre, double radius, Rgb colour, double opacity) {
  stroke({centre}, 2 * radius, colour, opacity);
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
