#pragma once
// Drawing on a 24-bit page: paper, ink laid on it the way ink darkens paper
// (multiplied, with anti-aliased coverage), and opaque paint for what is not
// on the paper (the scanner's backing seen at the edges or through holes).
#include <cstdint>
#include <vector>

#include "imaging/dib.h"

namespace ostrel::pagegen {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
};

struct Point {
  double x = 0, y = 0;
};

class Canvas {
 public:
  // A 24-bit page of the given colour; dib must be 24 bits per pixel.
  Canvas(Dib& dib, Rgb paper);

  int width() const { return width_; }
  int height() const { return height_; }

  // While mirrored, strokes land flipped left to right: what shows through
  // from the back of the sheet.
  void setMirrored(bool mirrored) { mirrored_ = mirrored; }

  // Ink over the pixel with coverage 0..1.
  void ink(int x, int y, Rgb colour, double coverage);
  // Opaque paint with coverage 0..1 (blends towards the colour).
  void paint(int x, int y, Rgb colour, double coverage);

  // A pen line through the points, width in pixels.
  void stroke(const std::vector<Point>& points, double width, Rgb colour, double opacity = 1.0);
  void fillRect(int x, int y, int w, int h, Rgb colour);
  void inkDisc(Point centre, double radius, Rgb colour, double opacity = 1.0);
  void paintDisc(Point centre, double radius, Rgb colour);

  // Copies a 24-bit page onto this one with its top-left corner at (x, y).
  void place(const Dib& sheet, int x, int y);

  // Another page of the same size laid over this one as ink: its darkness,
  // scaled by opacity, darkens this page once (the layer's green channel is read).
  void inkLayer(const Dib& layer, double opacity);

 private:
  std::uint8_t* at(int x, int y) { return dib_.row(y) + 3 * static_cast<std::size_t>(x); }

  Dib& dib_;
  int width_;
  int height_;
  bool mirrored_ = false;
};

}  // namespace ostrel::pagegen
