#include "tools/pagegen/defects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "tools/pagegen/writing.h"

namespace ostrel::pagegen {

namespace {

double mm(double millimetres, int dpi) { return millimetres * dpi / 25.4; }

std::uint8_t clampByte(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

// Coverage 0..1 of a soft band along an edge whose width may change along it.
void paintAlongEdge(Canvas& canvas, Edge edge, double widthAtStart, double widthAtEnd, Rgb colour, bool asInk) {
  const bool vertical = edge == kLeft || edge == kRight;
  const int length = vertical ? canvas.height() : canvas.width();
  for (int along = 0; along < length; ++along) {
    const double width = widthAtStart + (widthAtEnd - widthAtStart) * along / std::max(1, length - 1);
    for (int across = 0; across < static_cast<int>(width) + 2; ++across) {
      double coverage = std::clamp(width - across, 0.0, 1.0);
      if (asInk) coverage = std::pow(1.0 - across / std::max(1.0, width), 2.0);
      int x = 0, y = 0;
      switch (edge) {
        case kLeft: x = across, y = along; break;
        case kRight: x = canvas.width() - 1 - across, y = along; break;
        case kTop: x = along, y = across; break;
        case kBottom: x = along, y = canvas.height() - 1 - across; break;
      }
      if (asInk) {
        canvas.ink(x, y, colour, coverage);
      } else {
        canvas.paint(x, y, colour, coverage);
      }
    }
  }
}

// The line a sheet's edge throws on a light backing, just inside the band,
// along the whole frame or from `from` to `to` along the edge (pixels).
void edgeLine(Canvas& canvas, Edge edge, double widthAtStart, double widthAtEnd, int dpi, double from = 0,
              double to = -1) {
  const bool vertical = edge == kLeft || edge == kRight;
  const double far = to >= 0 ? to : vertical ? canvas.height() : canvas.width();
  const auto point = [&](double along, double across) -> Point {
    switch (edge) {
      case kLeft: return {across, along};
      case kRight: return {canvas.width() - across, along};
      case kTop: return {along, across};
      default: return {along, canvas.height() - across};
    }
  };
  canvas.stroke({point(from, widthAtStart), point(far, widthAtEnd)}, std::max(1.0, mm(0.15, dpi)),
                Rgb{120, 120, 120}, 0.8);
}

// A box blur of the green channel (what inkLayer reads), along rows and then
// down columns, each over 2 x radius + 1 pixels.
void blurGreen(Dib& layer, int radius) {
  if (radius <= 0) return;
  const int width = layer.width(), height = layer.height();
  const int span = 2 * radius + 1;
  std::vector<int> line;
  const auto blurLine = [&](int count, const auto& at) {
    line.assign(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count; ++i) line[static_cast<std::size_t>(i)] = at(i);
    int sum = 0;
    for (int i = -radius; i <= radius; ++i) sum += line[static_cast<std::size_t>(std::clamp(i, 0, count - 1))];
    for (int i = 0; i < count; ++i) {
      at(i) = static_cast<std::uint8_t>(sum / span);
      sum += line[static_cast<std::size_t>(std::min(count - 1, i + radius + 1))] -
             line[static_cast<std::size_t>(std::max(0, i - radius))];
    }
  };
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = layer.row(y);
    blurLine(width, [row](int x) -> std::uint8_t& { return row[3 * x + 1]; });
  }
  for (int x = 0; x < width; ++x) {
    blurLine(height, [&layer, x](int y) -> std::uint8_t& { return layer.row(y)[3 * x + 1]; });
  }
}

}  // namespace

void drawBleedThrough(Canvas& canvas, Random& random, int dpi, bool heavy) {
  // The back's print is drawn on its own sheet first and shows through once,
  // so where its strokes cross it is no darker than elsewhere, as with toner.
  auto back = Dib::create(canvas.width(), canvas.height(), 24);
  if (!back) return;
  Canvas sheet(*back, {255, 255, 255});
  sheet.setMirrored(true);
  const Pen pen{{0, 0, 0}, std::max(1.5, mm(0.45, dpi))};
  const double xHeight = mm(1.7, dpi);
  const double left = mm(random.uniform(20, 30), dpi);
  for (double y = mm(30, dpi); y < canvas.height() - mm(25, dpi); y += xHeight * 2.9) {
    if (random.chance(0.12)) continue;  // paragraph gaps
    drawTextLine(sheet, random, {left, y}, xHeight, canvas.width() - 2 * left, pen);
  }
  if (!heavy) {
    canvas.inkLayer(*back, random.uniform(0.06, 0.16));
    return;
  }
  // Thin paper: the fibres between the print and the front spread it out.
  blurGreen(*back, static_cast<int>(std::lround(mm(0.15, dpi))));
  canvas.inkLayer(*back, random.uniform(0.12, 0.2));
}

void drawDust(Canvas& canvas, Random& random, int specks, int dpi) {
  for (int i = 0; i < specks; ++i) {
    const Point at{random.uniform(0, canvas.width()), random.uniform(0, canvas.height())};
    const auto grey = static_cast<std::uint8_t>(random.between(20, 90));
    canvas.inkDisc(at, std::max(0.5, mm(random.uniform(0.04, 0.22), dpi)), {grey, grey, grey},
                   random.uniform(0.7, 1.0));
  }
  // Fibres: thin, curled and lighter than ink.
  for (int i = 0; i < specks / 10; ++i) {
    Point p{random.uniform(0, canvas.width()), random.uniform(0, canvas.height())};
    const double length = mm(random.uniform(1, 4), dpi);
    double angle = random.uniform(0, 2 * std::numbers::pi);
    std::vector<Point> fibre{p};
    for (int s = 0; s < 8; ++s) {
      angle += random.uniform(-0.5, 0.5);
      p = {p.x + std::cos(angle) * length / 8, p.y + std::sin(angle) * length / 8};
      fibre.push_back(p);
    }
    const auto grey = static_cast<std::uint8_t>(random.between(120, 170));
    canvas.stroke(fibre, std::max(0.6, mm(0.05, dpi)), {grey, grey, grey}, 0.6);
  }
}

void drawSalt(Canvas& canvas, Random& random, int perSquareCentimetre, int dpi) {
  const double squareCentimetres = canvas.width() * 2.54 / dpi * canvas.height() * 2.54 / dpi;
  const auto specks = static_cast<long>(perSquareCentimetre * squareCentimetres);
  for (long i = 0; i < specks; ++i) {
    const int x = random.between(0, canvas.width() - 1), y = random.between(0, canvas.height() - 1);
    const auto grey = static_cast<std::uint8_t>(random.between(20, 90));
    canvas.paint(x, y, {grey, grey, grey}, 1.0);
    // Some are two pixels, side by side or one above the other.
    if (random.chance(0.3)) {
      const bool beside = random.chance(0.5);
      canvas.paint(beside ? x + 1 : x, beside ? y : y + 1, {grey, grey, grey}, 1.0);
    }
  }
}

BorderPlan planBorder(Random& random, Border border, int dpi) {
  BorderPlan plan;
  plan.border = border;
  switch (border) {
    case Border::None: break;
    case Border::Band:
      for (const Edge edge : {kLeft, kTop, kRight, kBottom}) {
        if (random.chance(0.25)) continue;
        const double width = mm(random.uniform(0.8, 5), dpi);
        plan.strips.push_back({edge, width, width});
      }
      break;
    case Border::Wedge: {
      const auto first = static_cast<Edge>(random.between(0, 3));
      const auto second = static_cast<Edge>((first + 1) % 4);
      const double wide = mm(random.uniform(3, 8), dpi);
      // A turned sheet uncovers a wedge on one edge and its opposite end on the next.
      plan.strips.push_back({first, 0, wide});
      plan.strips.push_back({second, wide * 0.7, 0});
      break;
    }
    case Border::Shadow: {
      const auto first = static_cast<Edge>(random.between(0, 3));
      const auto grey = static_cast<std::uint8_t>(random.between(60, 120));
      plan.shadow = {grey, grey, grey};
      // The end's width is drawn first, as the pages of the labelled set were made.
      const double atEnd = mm(random.uniform(2, 5), dpi);
      plan.strips.push_back({first, mm(random.uniform(2, 5), dpi), atEnd});
      if (random.chance(0.5)) plan.strips.push_back({static_cast<Edge>((first + 1) % 4), mm(2, dpi), mm(3, dpi)});
      break;
    }
    case Border::Wide: break;  // drawn as the sheet is placed: see narrowSheet
  }
  return plan;
}

void drawBorder(Canvas& canvas, const BorderPlan& plan, Backing backing, int dpi) {
  // A skewed sheet's edges cross both wedges of backing, so they go on last.
  const bool linesLast = plan.border == Border::Wedge;
  const auto line = [&](const BorderStrip& strip) {
    if (!backing.dark) edgeLine(canvas, strip.edge, strip.widthAtStart, strip.widthAtEnd, dpi);
  };
  for (const BorderStrip& strip : plan.strips) {
    if (plan.border == Border::Shadow) {
      paintAlongEdge(canvas, strip.edge, strip.widthAtStart, strip.widthAtEnd, plan.shadow, true);
      continue;
    }
    paintAlongEdge(canvas, strip.edge, strip.widthAtStart, strip.widthAtEnd, backing.colour, false);
    if (!linesLast) line(strip);
  }
  if (linesLast) {
    for (const BorderStrip& strip : plan.strips) line(strip);
  }
}

BorderReach reachOf(const BorderPlan& plan) {
  BorderReach reach;
  for (const BorderStrip& strip : plan.strips) {
    const double deepest = std::max(strip.widthAtStart, strip.widthAtEnd);
    double& side = strip.edge == kLeft ? reach.left : strip.edge == kTop ? reach.top : strip.edge == kRight ? reach.right : reach.bottom;
    side = std::max(side, deepest);
  }
  return reach;
}

SheetArea narrowSheet(Random& random, int frameWidth, int frameHeight, int dpi) {
  // Against the left or right side, short of the top or bottom end.
  const bool againstLeft = random.chance(0.5), shortOfTop = random.chance(0.5);
  const int side = static_cast<int>(std::lround(mm(random.uniform(6, 14), dpi)));
  const int end = static_cast<int>(std::lround(mm(random.uniform(6, 14), dpi)));
  return {againstLeft ? 0 : side, shortOfTop ? end : 0, std::max(1, frameWidth - side), std::max(1, frameHeight - end)};
}

void drawSheetEdges(Canvas& canvas, const SheetArea& sheet, Backing backing, int dpi) {
  if (backing.dark) return;
  // Each line runs along the sheet only, so two meet at its corner.
  const double left = sheet.x, right = canvas.width() - sheet.x - sheet.width;
  const double top = sheet.y, bottom = canvas.height() - sheet.y - sheet.height;
  const double rows[2] = {top, top + sheet.height}, columns[2] = {left, left + sheet.width};
  if (left > 0) edgeLine(canvas, kLeft, left, left, dpi, rows[0], rows[1]);
  if (right > 0) edgeLine(canvas, kRight, right, right, dpi, rows[0], rows[1]);
  if (top > 0) edgeLine(canvas, kTop, top, top, dpi, columns[0], columns[1]);
  if (bottom > 0) edgeLine(canvas, kBottom, bottom, bottom, dpi, columns[0], columns[1]);
}

void drawPunchHoles(Canvas& canvas, Random& random, Backing backing, int dpi) {
  const bool alongLeft = random.chance(0.7);
  const double edgeLength = alongLeft ? canvas.height() : canvas.width();
  // Three holes 108 mm apart only fit along a long edge.
  const int holes = random.chance(0.5) || edgeLength < mm(250, dpi) ? 2 : 3;
  const double spacing = mm(holes == 2 ? 80 : 108, dpi);
  const double radius = mm(random.uniform(2.7, 3.3), dpi);
  const double inset = mm(random.uniform(9, 13), dpi);
  const double first = edgeLength / 2 - spacing * (holes - 1) / 2;
  const double light = random.uniform(0, 2 * std::numbers::pi);
  for (int h = 0; h < holes; ++h) {
    const double along = first + h * spacing + random.uniform(-2, 2);
    const Point centre = alongLeft ? Point{inset, along} : Point{along, inset};
    if (backing.dark) {
      canvas.paintDisc(centre, radius, backing.colour);
      continue;
    }
    // On a light backing the hole is nearly white; its rim throws a crescent of shadow.
    canvas.paintDisc(centre, radius, backing.colour);
    std::vector<Point> rim;
    for (int s = 0; s <= 16; ++s) {
      const double a = light + 0.4 * std::numbers::pi * (s / 8.0 - 1.0);
      rim.push_back({centre.x + std::cos(a) * radius, centre.y + std::sin(a) * radius});
    }
    const auto grey = static_cast<std::uint8_t>(random.between(110, 170));
    canvas.stroke(rim, std::max(1.0, mm(0.25, dpi)), {grey, grey, grey}, 0.9);
  }
}

void addNoise(Dib& page, Random& random, int deviation) {
  if (deviation <= 0) return;
  const int width = page.width();
  // Four random bytes summed are close to normal with deviation 147.8.
  const int scale = static_cast<int>(std::lround(deviation * 65536.0 / 147.8));
  for (int y = 0; y < page.height(); ++y) {
    std::uint8_t* row = page.row(y);
    std::uint64_t bits = 0;
    int left = 0;
    for (int i = 0; i < 3 * width; ++i) {
      if (left == 0) {
        bits = random.next();
        left = 2;
      }
      const int sum = static_cast<int>((bits & 0xFF) + ((bits >> 8) & 0xFF) + ((bits >> 16) & 0xFF) +
                                       ((bits >> 24) & 0xFF)) - 510;
      bits >>= 32;
      --left;
      row[i] = clampByte(row[i] + ((sum * scale) >> 16));
    }
  }
  // Isolated dark pixels of a dirty sensor.
  const long isolated = static_cast<long>(width) * page.height() / 200000 * deviation;
  for (long i = 0; i < isolated; ++i) {
    std::uint8_t* p = page.row(random.between(0, page.height() - 1)) + 3 * random.between(0, width - 1);
    const auto dark = static_cast<std::uint8_t>(random.between(40, 110));
    p[0] = p[1] = p[2] = dark;
  }
  // A faint streak down the page where the feeder's glass is dirty.
  if (random.chance(0.5)) {
    const int x = random.between(0, width - 1);
    const int fade = random.between(8, 3 * deviation + 8);
    for (int y = 0; y < page.height(); ++y) {
      std::uint8_t* p = page.row(y) + 3 * x;
      for (int c = 0; c < 3; ++c) p[c] = clampByte(p[c] - fade);
    }
  }
}

}  // namespace ostrel::pagegen
