#include "tools/pagegen/layouts.h"

#include <algorithm>

#include "tools/pagegen/writing.h"

namespace ostrel::pagegen {

namespace {

double mm(double millimetres, int dpi) { return millimetres * dpi / 25.4; }

Pen printPen(int dpi) { return {{22, 22, 26}, std::max(1.0, mm(0.3, dpi))}; }

Pen handPen(Random& random, int dpi) {
  const bool blue = random.chance(0.6);
  return {blue ? Rgb{30, 45, 150} : Rgb{30, 30, 35}, std::max(1.0, mm(random.uniform(0.22, 0.45), dpi))};
}

void drawPageNumber(Canvas& canvas, Random& random, int dpi) {
  const double height = mm(random.uniform(2.2, 3.0), dpi);
  const int number = random.between(1, 250);
  if (random.chance(0.7)) {
    const double y = canvas.height() - mm(random.uniform(10, 16), dpi);
    drawNumber(canvas, number, {canvas.width() / 2.0 - height, y}, height, printPen(dpi));
  } else {
    const double y = mm(random.uniform(12, 18), dpi) + height;
    drawNumber(canvas, number, {canvas.width() - mm(25, dpi), y}, height, printPen(dpi));
  }
}

// How much paper at least lies between a mark by the edge and the border.
constexpr double kClearOfBorderMm = 1.5;

// Small digits 5 to 9 mm from a corner, where edge shadows and the backing
// lie, though never under them.
void drawCornerNumber(Canvas& canvas, Random& random, int dpi, const BorderReach& border) {
  const double height = mm(random.uniform(1.6, 2.2), dpi);
  const int number = random.between(1, 99);
  const Pen pen{{22, 22, 26}, std::max(1.0, mm(0.22, dpi))};
  const double width = (number < 10 ? 0.6 : 1.35) * height;
  const double clear = mm(kClearOfBorderMm, dpi);
  const double x = random.chance(0.5)
                       ? std::max(mm(random.uniform(5, 9), dpi), border.left + clear)
                       : canvas.width() - std::max(mm(random.uniform(5, 9), dpi), border.right + clear) - width;
  const double y = random.chance(0.5)
                       ? std::max(mm(random.uniform(5, 9), dpi), border.top + clear) + height
                       : canvas.height() - std::max(mm(random.uniform(5, 9), dpi), border.bottom + clear);
  drawNumber(canvas, number, {x, y}, height, pen);
}

void drawDenseText(Canvas& canvas, Random& random, int dpi) {
  const double left = mm(random.uniform(20, 28), dpi);
  const double width = canvas.width() - 2 * left;
  const double bottom = canvas.height() - mm(25, dpi);
  const double xHeight = mm(random.uniform(1.5, 1.9), dpi);
  double y = mm(random.uniform(22, 30), dpi);
  Pen heading = printPen(dpi);
  heading.width *= 1.8;
  drawTextLine(canvas, random, {left, y + 1.6 * xHeight}, 1.6 * xHeight, width * 0.6, heading);
  y += 5 * xHeight;
  while (y < bottom) {
    if (random.chance(0.2)) {  // a ruled line, as in forms and tables
      canvas.stroke({{left, y}, {left + width, y}}, std::max(1.0, mm(0.2, dpi)), {30, 30, 30});
      y += 2 * xHeight;
    }
    const int lines = random.between(3, 9);
    for (int i = 0; i < lines && y < bottom; ++i) {
      y += 2.9 * xHeight;
      const double lineWidth = i + 1 == lines ? width * random.uniform(0.2, 0.8) : width;
      drawTextLine(canvas, random, {left, y}, xHeight, lineWidth, printPen(dpi));
    }
    y += 2.5 * xHeight;
  }
  drawPageNumber(canvas, random, dpi);
}

void drawLetter(Canvas& canvas, Random& random, int dpi) {
  const double left = mm(25, dpi);
  const double width = canvas.width() - 2 * left;
  const double xHeight = mm(1.7, dpi);
  double y = mm(30, dpi);
  for (int i = 0; i < 4; ++i, y += 2.9 * xHeight) {
    drawTextLine(canvas, random, {left, y}, xHeight, width * 0.4, printPen(dpi));
  }
  y += 6 * xHeight;
  const int paragraphs = random.between(1, 3);
  for (int p = 0; p < paragraphs; ++p) {
    const int lines = random.between(2, 5);
    for (int i = 0; i < lines; ++i, y += 2.9 * xHeight) {
      drawTextLine(canvas, random, {left, y}, xHeight, i + 1 == lines ? width * 0.5 : width, printPen(dpi));
    }
    y += 2 * xHeight;
  }
  drawSignature(canvas, random, {left, y + mm(15, dpi)}, mm(random.uniform(8, 12), dpi), handPen(random, dpi));
}

}  // namespace

void drawContent(Canvas& canvas, Random& random, Content content, int dpi, const BorderReach& border) {
  const double margin = mm(25, dpi);
  const auto somewhere = [&](double spanX, double spanY) -> Point {
    return {random.uniform(margin, std::max(margin, canvas.width() - margin - spanX)),
            random.uniform(margin + spanY, std::max(margin + spanY, canvas.height() - margin))};
  };
  switch (content) {
    case Content::Blank: return;
    case Content::DenseText: drawDenseText(canvas, random, dpi); return;
    case Content::SparseText: drawLetter(canvas, random, dpi); return;
    case Content::HandwrittenWord: {
      const double xHeight = mm(random.uniform(2.2, 4), dpi);
      drawHandwrittenWord(canvas, random, somewhere(8 * xHeight, 2 * xHeight), xHeight, handPen(random, dpi));
      return;
    }
    case Content::Signature: {
      const double height = mm(random.uniform(8, 15), dpi);
      Point at = somewhere(6 * height, height);
      at.y = std::max(at.y, canvas.height() / 2.0);
      drawSignature(canvas, random, at, height, handPen(random, dpi));
      return;
    }
    case Content::PageNumber: drawPageNumber(canvas, random, dpi); return;
    case Content::PencilWord: {
      // Graphite laid on lightly: 60 to 110 grey levels below white paper.
      const double xHeight = mm(random.uniform(2.2, 3.5), dpi);
      const Pen pencil{{70, 70, 74}, std::max(1.0, mm(random.uniform(0.2, 0.35), dpi)), random.uniform(0.35, 0.6)};
      drawHandwrittenWord(canvas, random, somewhere(8 * xHeight, 2 * xHeight), xHeight, pencil);
      return;
    }
    case Content::CornerNumber: drawCornerNumber(canvas, random, dpi, border); return;
    case Content::EdgeNote: {
      const double xHeight = mm(random.uniform(1.2, 1.6), dpi);
      const double fromEdge = mm(random.uniform(3, 8), dpi), clear = mm(kClearOfBorderMm, dpi);
      const double y = random.chance(0.5) ? std::max(fromEdge, border.top + clear) + 1.5 * xHeight
                                          : canvas.height() - std::max(fromEdge, border.bottom + clear) - 0.5 * xHeight;
      drawTextLine(canvas, random, {mm(random.uniform(10, 60), dpi), y}, xHeight, mm(random.uniform(30, 90), dpi),
                   printPen(dpi));
      return;
    }
    case Content::ShortLine: {
      const double xHeight = mm(random.uniform(1.5, 2.0), dpi);
      drawTextLine(canvas, random, somewhere(mm(60, dpi), 2 * xHeight), xHeight, mm(random.uniform(25, 70), dpi),
                   printPen(dpi), random.between(2, 6));
      return;
    }
  }
}

}  // namespace ostrel::pagegen
