#pragma once
// Barcode reading of the page step: the barcode count and the first barcode's
// text, for the "<B>" naming token and barcode batch separation.
//
// The page is analysed as a two-level image (colour and grey pages thresholded
// with the scan profile's Threshold). The reader takes the image's edge for the
// quiet zone a code printed against it lacks, so the page needs no white frame.
// A first pass looks for every format along the rows of the page as it lies;
// when it finds nothing, a second pass reads the page turned a quarter, where
// linear codes printed across the page lie along the rows.
#include <string>

#include "imaging/dib.h"

namespace ostrel {

struct BarcodeReading {
  int count = 0;     // barcodes found; -1 when the reader failed
  std::string text;  // the first barcode's text, nearest the top of the page; empty when none
  int pass = 0;      // the pass that found them, 1 or 2; 0 when none did
  std::string error;  // why the reader failed, with count -1
};

// A failure of the reader answers -1 with its description; a -1 from the
// first pass is not retried. Pages whose analysis
// would need more than 256 MB fail that way too, rather than exhaust memory.
BarcodeReading ReadBarcodes(const Dib& page, int threshold);

}  // namespace ostrel
