#pragma once
// Where the marks of each kind of page go, at sizes of real documents.
#include "tools/pagegen/canvas.h"
#include "tools/pagegen/defects.h"
#include "tools/pagegen/page_generator.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

// Marks by the edges keep clear of how far the border reaches in, so the
// border drawn over the page later never hides them.
void drawContent(Canvas& canvas, Random& random, Content content, int dpi, const BorderReach& border);

}  // namespace ostrel::pagegen
