#include "app/output/barcode/barcode_reader.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <utility>
#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/output/cleanup/page_pixels.h"

namespace ostrel {

namespace {

// White the second pass puts around the page: ten modules of a 0.5 mm Code 128
// at 300 dpi, the quiet zone a code printed against the edge lacks.
constexpr int kFrame = 64;

// The most luminance bytes an analysis may take (a Legal page at 1200 dpi is 171 MB).
constexpr std::size_t kMaxAnalysedBytes = std::size_t{256} << 20;

// The page thresholded to one luminance byte per pixel (0 black, 255 white), top
// row first, inside a white frame of `frame` pixels. Thresholding straight into
// bytes spares packing a 1-bit page only to unpack it again.
struct Luminance {
  std::unique_ptr<std::uint8_t[]> pixels;
  int width = 0, height = 0;

  static Luminance sized(int width, int height) {
    return {std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(width) *
                                                           static_cast<std::size_t>(height)),
            width, height};
  }
  std::size_t size() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
  ZXing::ImageView view() const { return {pixels.get(), width, height, ZXing::ImageFormat::Lum}; }
};

void thresholdColourRow(const std::uint8_t* in, std::uint8_t* out, int width, int weightedThreshold) {
  for (int x = 0; x < width; ++x, in += 3) {
    const int weighted = in[1] * 587 + in[2] * 299 + in[0] * 114;
    out[x] = static_cast<std::uint8_t>(weighted >= weightedThreshold ? 255 : 0);
  }
}

void expandOneBitRow(const std::uint8_t* in, std::uint8_t* out, int width,
                     const std::array<std::array<std::uint8_t, 8>, 256>& expanded) {
  const int wholeBytes = width / 8;
  for (int i = 0; i < wholeBytes; ++i) std::memcpy(out + 8 * i, expanded[in[i]].data(), 8);
  for (int x = 8 * wholeBytes; x < width; ++x) out[x] = expanded[in[x / 8]][static_cast<std::size_t>(x % 8)];
}

Luminance luminanceOf(const Dib& page, int threshold, int frame) {
  Luminance image = Luminance::sized(page.width() + 2 * frame, page.height() + 2 * frame);
  const auto stride = static_cast<std::size_t>(image.width);
  const auto frameRows = static_cast<std::size_t>(frame) * stride;
  std::memset(image.pixels.get(), 255, frameRows);
  std::memset(image.pixels.get() + image.size() - frameRows, 255, frameRows);

  // Colour pages compare the weighted sum with 1000 x threshold, which spares
  // the division; palette pages look their indices up.
  const int weightedThreshold = std::clamp(threshold, 0, 256) * 1000;
  std::array<std::uint8_t, 256> level{};
  std::array<std::array<std::uint8_t, 8>, 256> expanded{};
  if (page.bitsPerPixel() == 8) {
    const auto greys = paletteGreys(page);
    for (std::size_t i = 0; i < 256; ++i) level[i] = greys[i] >= threshold ? 255 : 0;
  } else if (page.bitsPerPixel() == 1) {
    const bool setIsWhite = page.zeroIsBlack();
    for (int value = 0; value < 256; ++value) {
      for (int bit = 0; bit < 8; ++bit) {
        const bool set = (value >> (7 - bit)) & 1;
        expanded[static_cast<std::size_t>(value)][static_cast<std::size_t>(bit)] = set == setIsWhite ? 255 : 0;
      }
    }
  }
  for (int y = 0; y < page.height(); ++y) {
    std::uint8_t* line = image.pixels.get() + frameRows + static_cast<std::size_t>(y) * stride;
    std::memset(line, 255, static_cast<std::size_t>(frame));
    std::memset(line + frame + page.width(), 255, static_cast<std::size_t>(frame));
    std::uint8_t* out = line + frame;
    const std::uint8_t* in = page.row(y);
    switch (page.bitsPerPixel()) {
      case 24: thresholdColourRow(in, out, page.width(), weightedThreshold); break;
      case 8:
        for (int x = 0; x < page.width(); ++x) out[x] = level[in[x]];
        break;
      default: expandOneBitRow(in, out, page.width(), expanded);
    }
  }
  return image;
}

// Transposes an 8 x 8 block of bytes held as eight words (byte j of rows[i] is
// column j of row i) in three rounds of swapping ever larger halves.
void transpose8x8(std::uint64_t rows[8]) {
  constexpr std::uint64_t kMasks[3] = {0x00FF00FF00FF00FFull, 0x0000FFFF0000FFFFull, 0x00000000FFFFFFFFull};
  for (int round = 0, span = 1; round < 3; ++round, span *= 2) {
    const std::uint64_t low = kMasks[round];
    const int shift = 8 * span;
    for (int i = 0; i < 8; ++i) {
      if (i & span) continue;
      const std::uint64_t a = rows[i], b = rows[i + span];
      rows[i] = (a & low) | ((b << shift) & ~low);
      rows[i + span] = ((a >> shift) & low) | (b & ~low);
    }
  }
}

// The image turned a quarter clockwise: (x, y) goes to (height - 1 - y, x).
// Whole 8 x 8 blocks move as words; the ragged right and bottom strips pixel by
// pixel.
Luminance turnedQuarter(const Luminance& image) {
  Luminance turned = Luminance::sized(image.height, image.width);
  const auto in = [&](int x, int y) {
    return image.pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
           static_cast<std::size_t>(x);
  };
  const auto out = [&](int x, int y) {
    return turned.pixels.get() + static_cast<std::size_t>(y) * static_cast<std::size_t>(turned.width) +
           static_cast<std::size_t>(x);
  };
  const int blockWidth = image.width / 8 * 8, blockHeight = image.height / 8 * 8;
  for (int y0 = 0; y0 < blockHeight; y0 += 8) {
    for (int x0 = 0; x0 < blockWidth; x0 += 8) {
      std::uint64_t rows[8];
      for (int i = 0; i < 8; ++i) std::memcpy(&rows[i], in(x0, y0 + i), 8);
      transpose8x8(rows);
      // Word j is column x0 + j top down; the turned row holds it bottom up.
      for (int j = 0; j < 8; ++j) {
        const std::uint64_t reversed = __builtin_bswap64(rows[j]);
        std::memcpy(out(image.height - 8 - y0, x0 + j), &reversed, 8);
      }
    }
  }
  for (int y = 0; y < image.height; ++y) {
    const int xStart = y < blockHeight ? blockWidth : 0;
    for (int x = xStart; x < image.width; ++x) *out(image.height - 1 - y, x) = *in(x, y);
  }
  return turned;
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

BarcodeReading ReadBarcodes(const Dib& page, int threshold, UserInterface& ui) {
  try {
    if (static_cast<std::size_t>(page.width() + 2 * kFrame) * static_cast<std::size_t>(page.height() + 2 * kFrame) >
        kMaxAnalysedBytes) {
      throw std::length_error("The page is too large to read barcodes from.");
    }
    const Luminance framed = luminanceOf(page, threshold, kFrame);
    BarcodeReading reading;
    std::vector<Found> found =
        analyse(framed.view(), ZXing::BarcodeFormat::Any, [](int x, int y) { return std::pair{x, y}; });
    reading.pass = found.empty() ? 0 : 1;
    if (found.empty()) {
      // Bars that run across the page become rows of the turned image; a code
      // upside down or turned the other way is read backwards along its rows.
      // Square 2D codes are found at any angle by the first pass already; the
      // stacked PDF417 is read along rows like the linear codes.
      const Luminance turned = turnedQuarter(framed);
      const int height = framed.height;
      found = analyse(turned.view(), ZXing::BarcodeFormat::LinearCodes | ZXing::BarcodeFormat::PDF417,
                      [height](int x, int y) { return std::pair{y, height - 1 - x}; });
      reading.pass = found.empty() ? 0 : 2;
    }
    reading.count = static_cast<int>(found.size());
    if (!found.empty()) reading.text = found.front().text;
    return reading;
  } catch (const std::exception& error) {
    ui.showMessage(error.what(), MessageKind::Error);
    return {-1, {}, 0};
  }
}

}  // namespace ostrel
