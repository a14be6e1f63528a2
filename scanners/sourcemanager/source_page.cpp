#include "scanners/sourcemanager/source_page.h"

#include <cmath>
#include <cstring>

#include "platform/text.h"
#include "imaging/image_file_reader.h"

namespace ostrel::virtualscanner {

namespace {

// Resolutions are stored in whole dots per metre: 100 dpi comes back as 99.9998.
double dpiFrom(int dotsPerMetre) {
  const double dpi = std::round(dotsPerMetre * 0.0254);
  return dpi >= kMinimumRecordedDpi ? dpi : 300.0;
}

}  // namespace

bool isPageImageName(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = platform::asciiLowerCopy(fileName.substr(dot + 1));
  for (const char* known : {"png", "tif", "tiff", "jpg", "jpeg", "bmp", "pbm", "pgm", "ppm"}) {
    if (extension == known) return true;
  }
  return false;
}

SourcePage makeSheet(Dib colour, double xDpi, double yDpi) {
  auto grey = Dib::create(colour.width(), colour.height(), 8, colour.xDotsPerMetre(), colour.yDotsPerMetre());
  for (int y = 0; y < colour.height(); ++y) {
    const std::uint8_t* in = colour.row(y);
    std::uint8_t* out = grey->row(y);
    for (int x = 0; x < colour.width(); ++x, in += 3) {
      out[x] = static_cast<std::uint8_t>((in[0] * 29 + in[1] * 150 + in[2] * 77) >> 8);
    }
  }
  return SourcePage{std::move(colour), std::move(*grey), xDpi, yDpi};
}

SourcePage sheetFromImage(const Dib& image) {
  const double xDpi = dpiFrom(image.xDotsPerMetre());
  const double yDpi = dpiFrom(image.yDotsPerMetre());
  auto colour = Dib::create(image.width(), image.height(), 24, static_cast<int>(std::lround(xDpi / 0.0254)),
                            static_cast<int>(std::lround(yDpi / 0.0254)));
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* in = image.row(y);
    std::uint8_t* out = colour->row(y);
    if (image.bitsPerPixel() == 24) {
      std::memcpy(out, in, 3 * static_cast<std::size_t>(image.width()));
      continue;
    }
    for (int x = 0; x < image.width(); ++x, out += 3) {
      const int index = image.bitsPerPixel() == 8 ? in[x] : (in[x / 8] >> (7 - x % 8)) & 1;
      const RgbQuad entry = image.paletteEntry(index);
      out[0] = entry.blue;
      out[1] = entry.green;
      out[2] = entry.red;
    }
  }
  return makeSheet(std::move(*colour), xDpi, yDpi);
}

std::optional<SourcePage> readPageImage(const std::string& path, std::string* error) {
  const auto image = readImageFile(path, error);
  if (!image) return std::nullopt;
  return sheetFromImage(*image);
}

}  // namespace ostrel::virtualscanner
