#pragma once
// Barcodes drawn module by module from the barcode writer's matrix, with a
// paper-coloured quiet zone so they stay readable over text.
#include <optional>

#include "tools/pagegen/canvas.h"
#include "tools/pagegen/page_generator.h"

namespace ostrel::pagegen {

// False when the writer cannot encode the barcode's text.
bool drawBarcode(Canvas& canvas, const Barcode& barcode, int dpi, Rgb paper);

}  // namespace ostrel::pagegen
