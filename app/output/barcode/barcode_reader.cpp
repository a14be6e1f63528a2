#include "app/output/barcode/barcode_reader.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/output/cleanup/depth_conversion.h"

namespace ostrel {

namespace {

// White the second pass puts around the page: ten modules of a 0.5 mm Code 128
// at 300 dpi, the quiet zone a code printed against the edge lacks.
constexpr int kFrame = 64;

// The most luminance bytes an analysis may take (a Legal page at 1200 dpi is 171 MB).
constexpr std::size_t kMaxAnalysedBytes = std::size_t{256} << 20;

// The 1-bit page as one luminance byte per pixel (0 black, 255 white), top row
// first, inside a white frame of `frame` pixels. Both passes read it, the
// first without the frame.
struct Luminance {
  std::vector<std::uint8_t> pixels;
  int width = 0, height = 0;
};

Luminance luminanceOf(const Dib& bits, int frame) {
  Luminance image;
  image.width = bits.width() + 2 * frame;
  image.height = bits.height() + 2 * frame;
  image.pixels.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height), 255);
  // Eight luminance bytes for every value of a byte of pixels.
  std::array<std::array<std::uint8_t, 8>, 256> expanded{};
  const bool setIsWhite = bits.zeroIsBlack();
  for (int value = 0; value < 256; ++value) {
    for (int bit = 0; bit < 8; ++bit) {
      const bool set = (value >> (7 - bit)) & 1;
      expanded[static_cast<std::size_t>(value)][static_cast<std::size_t>(bit)] = set == setIsWhite ? 255 : 0;
    }
  }
  const int wholeBytes = bits.width() / 8;
  for (int y = 0; y < bits.height(); ++y) {
    const std::uint8_t* row = bits.row(y);
    std::uint8_t* out = image.pixels.data() + static_cast<std::size_t>(y + frame) * static_cast<std::size_t>(image.width) +
                        static_cast<std::size_t>(frame);
    for (int i = 0; i < wholeBytes; ++i) std::memcpy(out + 8 * i, expanded[row[i]].data(), 8);
    for (int x = 8 * wholeBytes; x < bits.width(); ++x) out[x] = expanded[row[x / 8]][static_cast<std::size_t>(x % 8)];
  }
  return image;
}

struct Found {
  int top, left;
  std::string text;
};

// Every row of the view is searched for every format (the reader's quick mode
// looks at a few rows near the middle only and misses codes near the edges);
// `turned` also tries the view's quarter turns.
std::vector<Found> analyse(const ZXing::ImageView& view, bool turned) {
  ZXing::DecodeHints hints;
  // The image is already two-level: a zero byte is black.
  hints.setBinarizer(ZXing::Binarizer::BoolCast)
      .setFormats(ZXing::BarcodeFormat::Any)
      .setTryHarder(true)
      .setTryRotate(turned)
      .setTryDownscale(false);
  std::vector<Found> found;
  for (const ZXing::Result& result : ZXing::ReadBarcodes(view, hints)) {
    if (!result.isValid()) continue;
    int top = view.height(), left = view.width();
    for (const auto& corner : result.position()) top = std::min(top, corner.y), left = std::min(left, corner.x);
    found.push_back({top, left, result.text()});
  }
  std::sort(found.begin(), found.end(),
            [](const Found& a, const Found& b) { return a.top != b.top ? a.top < b.top : a.left < b.left; });
  return found;
}

}  // namespace

BarcodeReading ReadBarcodes(const Dib& page, int threshold, UserInterface& ui) {
  try {
    std::optional<Dib> copy;
    if (page.bitsPerPixel() != 1) {
      copy = ToBlackWhite(page, threshold);
      if (!copy) throw std::length_error("The page is too large to read barcodes from.");
    }
    const Dib& bits = copy ? *copy : page;
    if (static_cast<std::size_t>(bits.width() + 2 * kFrame) * static_cast<std::size_t>(bits.height() + 2 * kFrame) >
        kMaxAnalysedBytes) {
      throw std::length_error("The page is too large to read barcodes from.");
    }
    const Luminance framed = luminanceOf(bits, kFrame);
    const ZXing::ImageView whole(framed.pixels.data(), framed.width, framed.height, ZXing::ImageFormat::Lum);
    BarcodeReading reading;
    std::vector<Found> found = analyse(whole.cropped(kFrame, kFrame, bits.width(), bits.height()), false);
    reading.pass = found.empty() ? 0 : 1;
    if (found.empty()) {
      found = analyse(whole, true);
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
