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

void drawBleedThrough(Canvas& canvas, Random& random, int dpi);
void drawDust(Canvas& canvas, Random& random, int specks, int dpi);
void drawBorder(Canvas& canvas, Random& random, Border border, Backing backing, int dpi);
void drawPunchHoles(Canvas& canvas, Random& random, Backing backing, int dpi);
// Last, over everything: per-channel sensor noise of the given deviation, a few
// isolated dark pixels and a faint streak along the feed direction.
void addNoise(Dib& page, Random& random, int deviation);

}  // namespace ostrel::pagegen
