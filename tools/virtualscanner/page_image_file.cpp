#include "tools/virtualscanner/page_image_file.h"

#include <FreeImage.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "platform/text.h"

namespace ostrel::virtualscanner {

namespace {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// Resolutions are stored in whole dots per metre: 100 dpi comes back as 99.9998.
double dpiFrom(unsigned dotsPerMetre) {
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

std::optional<SourcePage> readPageImage(const std::string& path, std::string* error) {
  const auto fail = [&](const char* reason) -> std::optional<SourcePage> {
    if (error) *error = reason;
    return std::nullopt;
  };
  FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) format = FreeImage_GetFIFFromFilename(path.c_str());
  if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) return fail("not an image file");
  Bitmap loaded(FreeImage_Load(format, path.c_str(), 0));
  if (!loaded) return fail("the image cannot be read");
  if (FreeImage_GetImageType(loaded.get()) != FIT_BITMAP) {
    loaded.reset(FreeImage_ConvertToStandardType(loaded.get(), TRUE));
    if (!loaded) return fail("the image's pixel format is not supported");
  }
  Bitmap colour(FreeImage_ConvertTo24Bits(loaded.get()));
  if (!colour) return fail("the image cannot be converted to colour");

  const int width = static_cast<int>(FreeImage_GetWidth(colour.get()));
  const int height = static_cast<int>(FreeImage_GetHeight(colour.get()));
  auto page = Dib::create(width, height, 24);
  if (!page) return fail("the image is larger than a page may be");
  // Both keep rows bottom-up, blue first, padded to 4 bytes.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    std::memcpy(page->pixels() + static_cast<std::size_t>(y) * page->stride(),
                FreeImage_GetScanLine(colour.get(), y), rowBytes);
  }
  const double xDpi = dpiFrom(FreeImage_GetDotsPerMeterX(colour.get()));
  const double yDpi = dpiFrom(FreeImage_GetDotsPerMeterY(colour.get()));
  page->setResolution(static_cast<int>(xDpi / 0.0254 + 0.5), static_cast<int>(yDpi / 0.0254 + 0.5));
  return SourcePage{std::move(*page), xDpi, yDpi};
}

}  // namespace ostrel::virtualscanner
