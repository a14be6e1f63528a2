#pragma once
// What makes a scanned side look less than clean without anything written on
// it: sensor noise, dust, the backing seen along the edges, punch holes and
// the back side's print showing through.
#include <vector>

#include "tools/pagegen/canvas.h"
#include "tools/pagegen/page_generator.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

struct Backing {
  Rgb colour;
  bool dark;
};

// heavy: thin paper, the print darker and spread out by the fibres.
void drawBleedThrough(Canvas& canvas, Random& random, int dpi, bool heavy);
void drawDust(Canvas& canvas, Random& random, int specks, int dpi);
// Dark specks of one or two pixels, as a dirty or badly thresholded scan has.
void drawSalt(Canvas& canvas, Random& random, int perSquareCentimetre, int dpi);

enum Edge { kLeft, kTop, kRight, kBottom };

// The border along one edge: the backing's band (or a shadow's) widening or
// narrowing from one end of the edge to the other, in pixels.
struct BorderStrip {
  Edge edge;
  double widthAtStart, widthAtEnd;
};

// What drawBorder draws, chosen before the content so the content can keep
// clear of it.
struct BorderPlan {
  Border border = Border::None;
  std::vector<BorderStrip> strips;
  Rgb shadow;  // Border::Shadow: its grey
};
BorderPlan planBorder(Random& random, Border border, int dpi);
void drawBorder(Canvas& canvas, const BorderPlan& plan, Backing backing, int dpi);

// How far in from each edge of the frame the border reaches at most, pixels.
struct BorderReach {
  double left = 0, top = 0, right = 0, bottom = 0;
};
BorderReach reachOf(const BorderPlan& plan);

// Where a sheet narrower and shorter than the frame lies in it (Border::Wide),
// in pixels; the backing shows around it, and on a light backing the sheet's
// edges throw their lines.
struct SheetArea {
  int x = 0, y = 0, width = 0, height = 0;
};
SheetArea narrowSheet(Random& random, int frameWidth, int frameHeight, int dpi);
void drawSheetEdges(Canvas& canvas, const SheetArea& sheet, Backing backing, int dpi);
void drawPunchHoles(Canvas& canvas, Random& random, Backing backing, int dpi);
// Last, over everything: per-channel sensor noise of the given deviation, a few
// isolated dark pixels and a faint streak along the feed direction.
void addNoise(Dib& page, Random& random, int deviation);

}  // namespace ostrel::pagegen
