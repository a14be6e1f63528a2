#pragma once
// Marks people and printers put on paper, drawn as pen strokes: text-like word
// blocks (not real letters, but with stems, bowls, ascenders and descenders at
// the sizes of printed text), handwriting, signatures and digits.
#include "tools/pagegen/canvas.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

struct Pen {
  Rgb colour{25, 25, 30};
  double width = 3;  // pixels
  double opacity = 1.0;
};

// One line of printed text starting at the baseline point; words are drawn
// until maxWidth is reached or `words` words are drawn (-1: until full).
// Returns the x where the line ended.
double drawTextLine(Canvas& canvas, Random& random, Point baseline, double xHeight,
                    double maxWidth, const Pen& pen, int words = -1);

// One cursive word; origin is the left end of its baseline. Returns its width.
double drawHandwrittenWord(Canvas& canvas, Random& random, Point origin, double xHeight,
                           const Pen& pen);

// A signature: a large initial, a run of loops and an underline flourish.
void drawSignature(Canvas& canvas, Random& random, Point origin, double height, const Pen& pen);

// A number in a plain stroke font; origin is the left end of the baseline.
// Returns the width drawn.
double drawNumber(Canvas& canvas, int number, Point origin, double height, const Pen& pen);

}  // namespace ostrel::pagegen
