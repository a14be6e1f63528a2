#pragma once
// Synthetic scanner pages for the virtual scanner, the tests and the benchmarks:
// text-like pages, blank sides with the faults real scans carry (sensor noise,
// dust, a dark border or edge shadow, punch holes, bleed-through from the back),
// pages with very little on them, and pages carrying barcodes drawn with a real
// barcode writer. A page is fully determined by its PageSpec, seed included.
//
//   pagegen::PageSpec pageSpec;                 // Letter, 300 dpi, 24-bit, dense text
//   pageSpec.content = pagegen::Content::Blank;
//   pageSpec.defects.noise = 4;
//   pageSpec.defects.punchHoles = true;
//   pageSpec.barcodes.push_back({pagegen::Symbology::Code128, "INV-0042", 60, 40});
//   std::optional<Dib> page = pagegen::generatePage(pageSpec);
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "imaging/dib.h"

namespace ostrel::pagegen {

enum class Content {
  Blank,            // nothing on the paper (defects and barcodes still drawn)
  DenseText,        // a full page: heading, ruled lines, paragraphs of word blocks
  SparseText,       // a letter-like page: a few short paragraphs and a signature
  HandwrittenWord,  // one handwritten-like word somewhere on the page
  Signature,        // one signature-like scribble in the lower half
  PageNumber,       // a page number at the foot or the top corner
  ShortLine,        // one short line of text
  PencilWord,       // one handwritten word in pencil: grey and faint
  CornerNumber,     // a small page number a few millimetres from a corner
  EdgeNote,         // one line of small print a few millimetres from the top or bottom edge, as a fax header
};

enum class Border {
  None,
  Band,    // the scanner's backing visible along the edges, a few millimetres wide
  Wedge,   // a skewed sheet: backing visible as a wedge along one or two edges
  Shadow,  // the sheet's edge casts a soft grey shadow along one or two edges
  Wide,    // a narrower sheet fed against one side: backing 6 to 14 mm wide along two adjacent edges
};

struct Defects {
  int noise = 0;            // sensor noise deviation in grey levels (0 none, 2..8 typical)
  int dust = 0;             // dust specks, plus a fibre for every ten specks
  Border border = Border::None;
  bool punchHoles = false;  // two or three holes near the left or top edge
  bool bleedThrough = false;  // faint mirrored text of the sheet's back side
  bool heavyBleed = false;    // with bleedThrough: thin paper, the back's text darker and blurred
  int salt = 0;               // dark specks of one or two pixels, per square centimetre
};

enum class Symbology { Code128, Code39, QrCode, DataMatrix, Ean13, Pdf417 };

struct Barcode {
  Symbology symbology = Symbology::Code128;
  std::string text;
  int x = 0;           // left edge of the symbol (its bars, not its quiet zone), pixels on the sheet
  int y = 0;           // top edge of the symbol, pixels on the sheet (the frame but with Border::Wide)
  int moduleSize = 0;  // pixels per module; 0: about 0.34 mm (4 pixels at 300 dpi)
  int barHeight = 0;   // linear codes only, pixels; 0: 12 mm
  int rotation = 0;    // 0, 90, 180 or 270 degrees clockwise around (x, y)'s box
};

struct PageSpec {
  int width = 2550;  // pixels
  int height = 3300;
  int dpi = 300;
  int bitsPerPixel = 24;  // 24, 8 or 1
  int threshold = 128;    // grey level below which a 1-bit pixel is black
  Content content = Content::DenseText;
  Defects defects;
  std::vector<Barcode> barcodes;
  std::uint8_t paperRed = 250, paperGreen = 249, paperBlue = 245;
  bool blackBacking = true;  // what the scanner shows outside the sheet and through holes
  std::uint64_t seed = 1;
};

// A US Letter page at the given resolution: 8.5 x 11 inches.
PageSpec letterPage(int dpi, int bitsPerPixel, Content content, std::uint64_t seed = 1);

// The page, or nullopt for a size or depth Dib cannot hold. 1-bit pages carry
// the palette 0 = black, 1 = white; 8-bit pages a grey ramp.
std::optional<Dib> generatePage(const PageSpec& pageSpec);

// Width and height in pixels that the barcode's symbol occupies on the page
// (after rotation), so callers can place it against any edge; nullopt when the
// writer cannot encode the text in that symbology.
struct Size {
  int width = 0, height = 0;
};
std::optional<Size> barcodeSize(const Barcode& barcode, int dpi);

}  // namespace ostrel::pagegen
