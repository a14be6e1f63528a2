#include "tools/pagegen/barcode_drawing.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <cmath>
#include <exception>

namespace ostrel::pagegen {

namespace {

ZXing::BarcodeFormat formatOf(Symbology symbology) {
  switch (symbology) {
    case Symbology::Code128: return ZXing::BarcodeFormat::Code128;
    case Symbology::Code39: return ZXing::BarcodeFormat::Code39;
    case Symbology::QrCode: return ZXing::BarcodeFormat::QRCode;
    case Symbology::DataMatrix: return ZXing::BarcodeFormat::DataMatrix;
    case Symbology::Ean13: return ZXing::BarcodeFormat::EAN13;
    case Symbology::Pdf417: return ZXing::BarcodeFormat::PDF417;
  }
  return ZXing::BarcodeFormat::Code128;
}

bool isLinear(Symbology symbology) {
  return symbology == Symbology::Code128 || symbology == Symbology::Code39 || symbology == Symbology::Ean13;
}

std::optional<ZXing::BitMatrix> encode(const Barcode& barcode) {
  try {
    return ZXing::MultiFormatWriter(formatOf(barcode.symbology)).setMargin(0).encode(barcode.text, 0, 0);
  } catch (const std::exception&) {
    return std::nullopt;  // text the symbology cannot hold
  }
}

int pixelsFromMillimetres(double mm, int dpi) { return static_cast<int>(std::lround(mm * dpi / 25.4)); }

// The symbol's layout on the page before rotation.
struct Layout {
  int moduleSize;
  int columns, rows;        // modules
  int moduleHeight;         // pixels per module row
  int width, height;        // pixels
  int quietZone;            // pixels
};

Layout layoutOf(const Barcode& barcode, const ZXing::BitMatrix& matrix, int dpi) {
  Layout layout{};
  layout.moduleSize = barcode.moduleSize > 0 ? barcode.moduleSize : std::max(1, pixelsFromMillimetres(0.34, dpi));
  layout.columns = matrix.width();
  layout.rows = matrix.height();
  layout.width = layout.columns * layout.moduleSize;
  if (isLinear(barcode.symbology)) {
    layout.height = barcode.barHeight > 0 ? barcode.barHeight : pixelsFromMillimetres(12, dpi);
    layout.moduleHeight = std::max(1, layout.height / std::max(1, layout.rows));
    layout.quietZone = 10 * layout.moduleSize;
  } else {
    layout.moduleHeight = layout.moduleSize;
    layout.height = layout.rows * layout.moduleSize;
    layout.quietZone = 4 * layout.moduleSize;
  }
  return layout;
}

}  // namespace

std::optional<Size> barcodeSize(const Barcode& barcode, int dpi) {
  const auto matrix = encode(barcode);
  if (!matrix) return std::nullopt;
  const Layout layout = layoutOf(barcode, *matrix, dpi);
  if (barcode.rotation == 90 || barcode.rotation == 270) return Size{layout.height, layout.width};
  return Size{layout.width, layout.height};
}

bool drawBarcode(Canvas& canvas, const Barcode& barcode, int dpi, Rgb paper) {
  const auto matrix = encode(barcode);
  if (!matrix) return false;
  const Layout layout = layoutOf(barcode, *matrix, dpi);
  const bool turned = barcode.rotation == 90 || barcode.rotation == 270;
  const int boxWidth = turned ? layout.height : layout.width;
  const int boxHeight = turned ? layout.width : layout.height;
  const int q = layout.quietZone;
  canvas.fillRect(barcode.x - q, barcode.y - q, boxWidth + 2 * q, boxHeight + 2 * q, paper);

  const Rgb black{18, 18, 20};
  const bool linear = isLinear(barcode.symbology);
  for (int row = 0; row < layout.rows; ++row) {
    for (int column = 0; column < layout.columns; ++column) {
      if (!matrix->get(column, row)) continue;
      // The module's rectangle in the unrotated symbol...
      const int u = column * layout.moduleSize;
      const int v = linear ? 0 : row * layout.moduleHeight;
      const int w = layout.moduleSize;
      const int h = linear ? layout.height : layout.moduleHeight;
      // ...turned clockwise inside the box.
      switch (barcode.rotation) {
        case 90: canvas.fillRect(barcode.x + boxWidth - v - h, barcode.y + u, h, w, black); break;
        case 180: canvas.fillRect(barcode.x + boxWidth - u - w, barcode.y + boxHeight - v - h, w, h, black); break;
        case 270: canvas.fillRect(barcode.x + v, barcode.y + boxHeight - u - w, h, w, black); break;
        default: canvas.fillRect(barcode.x + u, barcode.y + v, w, h, black); break;
      }
    }
  }
  return true;
}

}  // namespace ostrel::pagegen
