#include "imaging/cleanup/preview_processing.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/cleanup/colour_dropout.h"
#include "imaging/cleanup/depth_conversion.h"

namespace ostrel {

namespace {

// Arguments of the dropout call fixed by the preview.
constexpr int kSoftness = 10;
constexpr int kPaperLevel = 247;

void dropColour(Dib& page, const DropoutColour& colour) {
  const int width = page.width(), height = page.height();
  const std::size_t rowPixels = static_cast<std::size_t>(width);
  std::vector<std::uint8_t> rgb(3 * rowPixels * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = page.row(y);
    std::uint8_t* out = rgb.data() + 3 * rowPixels * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) {
      out[3 * x] = row[3 * x + 2];
      out[3 * x + 1] = row[3 * x + 1];
      out[3 * x + 2] = row[3 * x];
    }
  }
  std::vector<std::uint8_t> grey(rowPixels * static_cast<std::size_t>(height));
  if (!DoCustomColorDropOut(rgb.data(), grey.data(), kDropoutGreyOutput, width, height, colour.red, colour.green,
                            colour.blue, kSoftness, kPaperLevel, colour.range, kDropoutChromaDistance)) {
    return;  // the image stays as it was
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = page.row(y);
    const std::uint8_t* levels = grey.data() + rowPixels * static_cast<std::size_t>(y);
    for (int x = 0; x < width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = levels[x];
  }
}

}  // namespace

std::array<std::uint8_t, 256> ToneCurve(int brightness, int contrast) {
  if (contrast == 200) contrast = 199;  // a right angle has no slope
  const double angle = contrast / 100.0 * 0.7853982;
  const double slope = std::fabs(std::tan(angle));
  const long long offset = (brightness - 100LL) * 256 / 200;
  std::array<std::uint8_t, 256> curve{};
  for (int i = 0; i < 256; ++i) {
    // Clamped before the conversion: far contrasts give slopes beyond any int.
    const double level = std::clamp(static_cast<double>(offset) + slope * (i - 128) + 128, 0.0, 255.0);
    curve[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(level);
  }
  return curve;
}

std::optional<Dib> ProcessPreview(const Dib& preview, const PreviewSettings& settings) {
  auto page = ToColour24(preview);
  if (!page) return std::nullopt;
  if (settings.mode != PreviewMode::Colour && settings.dropout) dropColour(*page, *settings.dropout);
  const auto curve = ToneCurve(settings.brightness, settings.contrast);
  const bool blackWhite = settings.mode == PreviewMode::BlackWhite;
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(page->width());
  for (int y = 0; y < page->height(); ++y) {
    std::uint8_t* row = page->row(y);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const std::uint8_t level = curve[row[i]];
      row[i] = blackWhite ? (level >= settings.threshold ? 255 : 0) : level;
    }
  }
  return page;
}

}  // namespace ostrel
