#include "imaging/image_file_reader.h"

#include <FreeImage.h>

#include <cstring>
#include <memory>

namespace ostrel {

namespace {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// A plain bitmap of 1, 8 or 24 bits, converting what the page image cannot hold.
Bitmap standardDepth(Bitmap bitmap) {
  switch (FreeImage_GetImageType(bitmap.get())) {
    case FIT_BITMAP: {
      const unsigned bits = FreeImage_GetBPP(bitmap.get());
      if (bits == 1 || bits == 8 || bits == 24) return bitmap;
      return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
    }
    // Scanners write 16-bit grey and 48-bit colour; the high byte is what an
    // 8-bit scan of the same sheet would have given.
    case FIT_UINT16: return Bitmap(FreeImage_ConvertTo8Bits(bitmap.get()));
    case FIT_RGB16:
    case FIT_RGBA16: return Bitmap(FreeImage_ConvertTo24Bits(bitmap.get()));
    default: return nullptr;
  }
}

}  // namespace

std::optional<Dib> readImageFile(const std::string& path, std::string* error) {
  const auto fail = [error](const char* reason) -> std::optional<Dib> {
    if (error) *error = reason;
    return std::nullopt;
  };
  const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
  if (format == FIF_UNKNOWN) return fail("not an image file FreeImage knows");
  Bitmap loaded(FreeImage_Load(format, path.c_str(), 0));
  if (!loaded) return fail("the image file cannot be read");
  const bool plain = FreeImage_GetImageType(loaded.get()) == FIT_BITMAP;
  const Bitmap bitmap = standardDepth(std::move(loaded));
  if (!bitmap) return fail(plain ? "the image cannot be converted to 24 bits" : "not a grey or colour image");
  const int depth = static_cast<int>(FreeImage_GetBPP(bitmap.get()));
  auto page = Dib::create(static_cast<int>(FreeImage_GetWidth(bitmap.get())),
                          static_cast<int>(FreeImage_GetHeight(bitmap.get())), depth,
                          static_cast<int>(FreeImage_GetDotsPerMeterX(bitmap.get())),
                          static_cast<int>(FreeImage_GetDotsPerMeterY(bitmap.get())));
  if (!page) return fail("the image's size is out of range");
  if (const RGBQUAD* palette = FreeImage_GetPalette(bitmap.get())) {
    for (int i = 0; i < page->paletteSize(); ++i) {
      page->setPaletteEntry(i, {palette[i].rgbBlue, palette[i].rgbGreen, palette[i].rgbRed, 0});
    }
  }
  // Both keep rows bottom-up with 4-byte padding, so rows copy one to one.
  const std::uint8_t* from = FreeImage_GetBits(bitmap.get());
  const std::size_t fromPitch = FreeImage_GetPitch(bitmap.get());
  for (int y = 0; y < page->height(); ++y) {
    std::memcpy(page->pixels() + y * page->stride(), from + y * fromPitch, page->stride());
  }
  return page;
}

}  // namespace ostrel
