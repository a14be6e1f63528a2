#include "tools/pagegen/page_files.h"

#include <FreeImage.h>

#include <cstring>
#include <memory>

namespace ostrel::pagegen {

namespace {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

bool endsWith(const std::string& text, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Both keep rows bottom-up with 4-byte padding, so rows copy one to one.
void copyRows(const std::uint8_t* from, std::size_t fromPitch, std::uint8_t* to, std::size_t toPitch, int height,
              std::size_t bytes) {
  for (int y = 0; y < height; ++y) std::memcpy(to + y * toPitch, from + y * fromPitch, bytes);
}

}  // namespace

bool savePage(const Dib& page, const std::string& path) {
  FREE_IMAGE_FORMAT format = FIF_PNG;
  int flags = PNG_Z_BEST_COMPRESSION;
  if (endsWith(path, ".tif") || endsWith(path, ".tiff")) {
    format = FIF_TIFF;
    flags = page.bitsPerPixel() == 1 ? TIFF_CCITTFAX4 : TIFF_LZW;
  } else if (endsWith(path, ".bmp")) {
    format = FIF_BMP;
    flags = BMP_DEFAULT;
  } else if (endsWith(path, ".jpg")) {
    format = FIF_JPEG;
    flags = JPEG_QUALITYGOOD;
  }
  Bitmap bitmap(FreeImage_Allocate(page.width(), page.height(), page.bitsPerPixel()));
  if (!bitmap) return false;
  if (RGBQUAD* palette = FreeImage_GetPalette(bitmap.get())) {
    for (int i = 0; i < page.paletteSize(); ++i) {
      const RgbQuad q = page.paletteEntry(i);
      palette[i] = {q.blue, q.green, q.red, 0};
    }
  }
  copyRows(page.pixels(), page.stride(), FreeImage_GetBits(bitmap.get()), FreeImage_GetPitch(bitmap.get()),
           page.height(), page.stride());
  FreeImage_SetDotsPerMeterX(bitmap.get(), static_cast<unsigned>(page.xDotsPerMetre()));
  FreeImage_SetDotsPerMeterY(bitmap.get(), static_cast<unsigned>(page.yDotsPerMetre()));
  return FreeImage_Save(format, bitmap.get(), path.c_str(), flags) != 0;
}

}  // namespace ostrel::pagegen
