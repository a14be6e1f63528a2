#pragma once
// What makes a scanned side look less than clean without anything written on
// it: sensor noise, dust, the backing seen along the edges, punch holes and
// the back side's print showing through.
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
void drawBorder(Canvas& canvas, Random& random, Border border, Backing backing, int dpi);

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
