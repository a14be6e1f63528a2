#include "app/core/wizard/preview_view.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "imaging/cleanup/depth_conversion.h"

namespace ostrel::wizard {

PreviewSettings previewSettings(const PreviewValues& values) {
  PreviewSettings settings;
  settings.mode = values.scanMode == 0   ? PreviewMode::BlackWhite
                  : values.scanMode == 1 ? PreviewMode::Grey
                                         : PreviewMode::Colour;
  settings.brightness = values.brightness;
  settings.contrast = values.contrast;
  settings.threshold = values.threshold;
  DropoutColour colour;
  colour.range = kPreviewDropoutRange;
  switch (values.dropout) {
    case 2:
      colour.red = 255, colour.green = 0, colour.blue = 0;
      break;
    case 3:
      colour.red = 0, colour.green = 255, colour.blue = 0;
      break;
    case 4:
      colour.red = 0, colour.green = 0, colour.blue = 255;
      break;
    case 5:
      colour.red = std::clamp(values.dropRed, 0, 255);
      colour.green = std::clamp(values.dropGreen, 0, 255);
      colour.blue = std::clamp(values.dropBlue, 0, 255);
      break;
    default:
      return settings;  // off, or "None"
  }
  settings.dropout = colour;
  return settings;
}

std::optional<Dib> shrinkForPreview(const Dib& preview, int maxWidth, int maxHeight) {
  if (maxWidth < 1 || maxHeight < 1) return std::nullopt;
  auto colour = ToColour24(preview);
  if (!colour) return std::nullopt;
  const int width = colour->width(), height = colour->height();
  const double scale = std::min({1.0, static_cast<double>(maxWidth) / width, static_cast<double>(maxHeight) / height});
  if (scale >= 1.0) return colour;
  const int outWidth = std::max(1, static_cast<int>(width * scale));
  const int outHeight = std::max(1, static_cast<int>(height * scale));
  auto out = Dib::createForOverwrite(outWidth, outHeight, 24,
                                     static_cast<int>(colour->xDotsPerMetre() * scale),
                                     static_cast<int>(colour->yDotsPerMetre() * scale));
  if (!out) return std::nullopt;
  // Column spans are the same for every row: work them out once.
  std::vector<int> firstColumn(static_cast<std::size_t>(outWidth) + 1);
  for (int x = 0; x <= outWidth; ++x) {
    firstColumn[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * width / outWidth);
  }
  std::vector<std::uint32_t> sums(3 * static_cast<std::size_t>(outWidth));
  for (int y = 0; y < outHeight; ++y) {
    const int top = static_cast<int>(static_cast<long long>(y) * height / outHeight);
    const int bottom = std::max(top + 1, static_cast<int>(static_cast<long long>(y + 1) * height / outHeight));
    std::fill(sums.begin(), sums.end(), 0u);
    for (int sy = top; sy < bottom; ++sy) {
      const std::uint8_t* in = colour->row(sy);
      for (int x = 0; x < outWidth; ++x) {
        std::uint32_t* sum = &sums[3 * static_cast<std::size_t>(x)];
        const int end = std::max(firstColumn[static_cast<std::size_t>(x) + 1], firstColumn[static_cast<std::size_t>(x)] + 1);
        for (int sx = firstColumn[static_cast<std::size_t>(x)]; sx < end; ++sx) {
          sum[0] += in[3 * sx];
          sum[1] += in[3 * sx + 1];
          sum[2] += in[3 * sx + 2];
        }
      }
    }
    std::uint8_t* row = out->row(y);
    for (int x = 0; x < outWidth; ++x) {
      const std::uint32_t columns = static_cast<std::uint32_t>(
          std::max(firstColumn[static_cast<std::size_t>(x) + 1], firstColumn[static_cast<std::size_t>(x)] + 1) -
          firstColumn[static_cast<std::size_t>(x)]);
      const std::uint32_t count = columns * static_cast<std::uint32_t>(bottom - top);
      for (int c = 0; c < 3; ++c) {
        row[3 * x + c] = static_cast<std::uint8_t>((sums[3 * static_cast<std::size_t>(x) + c] + count / 2) / count);
      }
    }
  }
  return out;
}

double previewScale(int imageWidth, int dpi, int clientWidth, int clientHeight) {
  if (imageWidth < 1) return 0.0;
  const double fullHeight = 14.0 * std::max(1, dpi);
  return std::min(static_cast<double>(clientWidth) / imageWidth, clientHeight / fullHeight);
}

double outlineScaleWithoutImage(int maxLength, int clientHeight) {
  constexpr int kLongestPage = 4200;  // 14 inches
  const int full = maxLength > 0 ? std::min(maxLength, kLongestPage) : kLongestPage;
  return static_cast<double>(std::max(1, clientHeight)) / full;
}

AreaOutline areaOutline(const PreviewValues& values, int maxWidth, int maxLength, double pixelsPerUnit,
                        int clientWidth, int clientHeight) {
  const double scale = pixelsPerUnit > 0 ? pixelsPerUnit : outlineScaleWithoutImage(maxLength, clientHeight);
  const int width = maxWidth > 0 ? std::min(values.areaWidth, maxWidth) : values.areaWidth;
  const int height = maxLength > 0 ? std::min(values.areaHeight, maxLength) : values.areaHeight;
  AreaOutline outline;
  outline.areaLeft = values.areaLeft;
  outline.areaTop = values.areaTop;
  outline.left = static_cast<int>(values.areaLeft * scale);
  outline.top = static_cast<int>(values.areaTop * scale);
  outline.right = static_cast<int>(scale * (values.areaLeft + width)) - 1;
  outline.bottom = static_cast<int>(scale * (values.areaTop + height)) - 1;
  if (outline.right >= clientWidth) {
    const int span = outline.right - outline.left;
    outline.right = clientWidth - 1;
    outline.left = std::max(0, outline.right - span);
    outline.areaLeft = static_cast<int>(outline.left / scale);
  }
  if (outline.bottom >= clientHeight) {
    const int span = outline.bottom - outline.top;
    outline.bottom = clientHeight - 1;
    outline.top = std::max(0, outline.bottom - span);
    outline.areaTop = static_cast<int>(outline.top / scale);
  }
  return outline;
}

}  // namespace ostrel::wizard
