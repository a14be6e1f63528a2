#include "tools/virtualpages/sheet_painter.h"

#include <algorithm>

#include "tools/pagegen/page_generator.h"

namespace ostrel::virtualpages {

std::optional<Dib> paintSheet(const virtualscanner::GeneratedSheet& sheet, int dpi, std::string* error) {
  using namespace pagegen;
  // Text pages alternate between a full page and a letter, both with a little
  // sensor noise; blank sides carry the noise and dust a scanner sees.
  const Content content = sheet.blank                                  ? Content::Blank
                          : sheet.barcode.empty() && sheet.seed % 2 ? Content::DenseText
                                                                       : Content::SparseText;
  PageSpec pageSpec = letterPage(dpi, 24, content, sheet.seed);
  pageSpec.defects.noise = sheet.blank ? 4 : 2;
  pageSpec.defects.dust = sheet.blank ? 8 : 0;
  if (!sheet.barcode.empty()) {
    Barcode barcode{Symbology::Code128, sheet.barcode};
    const auto size = barcodeSize(barcode, dpi);
    if (!size) {
      if (error) *error = "the barcode text cannot be written as Code 128";
      return std::nullopt;
    }
    // Top right, half an inch from the edges, clear of the text's left margin.
    barcode.x = std::max(0, pageSpec.width - size->width - dpi / 2);
    barcode.y = dpi / 2;
    pageSpec.barcodes.push_back(barcode);
  }
  auto page = generatePage(pageSpec);
  if (!page && error) *error = "the page cannot be generated";
  return page;
}

}  // namespace ostrel::virtualpages
