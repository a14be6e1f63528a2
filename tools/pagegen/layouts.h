#pragma once
// Where the marks of each kind of page go, at sizes of real documents.
#include "tools/pagegen/canvas.h"
#include "tools/pagegen/page_generator.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

void drawContent(Canvas& canvas, Random& random, Content content, int dpi);

}  // namespace ostrel::pagegen
