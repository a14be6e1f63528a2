#include "imaging/barcode/barcode_reader.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "imaging/barcode/two_level_image.h"

namespace ostrel {

namespace {

// The most luminance bytes an analysis may take (a Legal page at 1200 dpi is 171 MB).
constexpr std::size_t kMaxAnalysedBytes = std::size_t{256} << 20;

ZXing::ImageView viewOf(const TwoLevelImage& image) {
  return {image.pixels.get(), image.width, image.height, ZXing::ImageFormat::Lum};
}

struct Found {
  int top, left;
  std::string text;
};

// Rows are searched for the given formats (the reader's quick mode looks at a
// few rows near the middle only and misses codes near the edges). `toPage` maps
// a point of the image back onto the page as it lies, for the topmost-first order.
template <typename ToPage>
std::vector<Found> analyse(const ZXing::ImageView& image, ZXing::BarcodeFormats formats, ToPage toPage) {
  ZXing::DecodeHints hints;
  // The image is already two-level: a zero byte is black.
  hints.setBinarizer(ZXing::Binarizer::BoolCast)
      .setFormats(formats)
      .setTryHarder(true)
      .setTryRotate(false)
      .setTryDownscale(false);
  std::vector<Found> found;
  for (const ZXing::Result& result : ZXing::ReadBarcodes(image, hints)) {
    if (!result.isValid()) continue;
    int top = INT_MAX, left = INT_MAX;
    for (const auto& corner : result.position()) {
      const auto [x, y] = toPage(corner.x, corner.y);
      top = std::min(top, y), left = std::min(left, x);
    }
    found.push_back({top, left, result.text()});
  }
  std::sort(found.begin(), found.end(),
            [](const Found& a, const Found& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
  return found;
}

}  // namespace

BarcodeReading ReadBarcodes(const Dib& page, int threshold) {
  try {
    if (static_cast<std::size_t>(page.width()) * static_cast<std::size_t>(page.height()) > kMaxAnalysedBytes) {
      throw std::length_error("The page is too large to read barcodes from.");
    }
    const TwoLevelImage image = thresholdedPage(page, threshold);
    BarcodeReading reading;
    std::vector<Found> found =
        analyse(viewOf(image), ZXing::BarcodeFormat::Any, [](int x, int y) { return std::pair{x, y}; });
    reading.pass = found.empty() ? 0 : 1;
    if (found.empty()) {
      // Bars that run across the page become rows of the turned image; a code
      // upside down or turned the other way is read backwards along its rows.
      // Square 2D codes are found at any angle by the first pass already; the
      // stacked PDF417 is read along rows like the linear codes.
      const TwoLevelImage turned = turnedQuarter(image);
      const int height = image.height;
      found = analyse(viewOf(turned), ZXing::BarcodeFormat::LinearCodes | ZXing::BarcodeFormat::PDF417,
                      [height](int x, int y) { return std::pair{y, height - 1 - x}; });
      reading.pass = found.empty() ? 0 : 2;
    }
    reading.count = static_cast<int>(found.size());
    if (!found.empty()) reading.text = found.front().text;
    return reading;
  } catch (const std::exception& error) {
    return {-1, {}, 0, error.what()};
  }
}

}  // namespace ostrel
