// BMP and GIF through FreeImage, the library's types kept to this file.
#include <FreeImage.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "imaging/writers/image_file_writers.h"
#include "imaging/writers/staged_file.h"

namespace ostrel::writers {

namespace {

struct BitmapDeleter {
  void operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }
};
using Bitmap = std::unique_ptr<FIBITMAP, BitmapDeleter>;

// One copy of the page into a FreeImage bitmap: both sides keep rows bottom-up
// with the same 4-byte padding, so the rows move in one block.
Bitmap toBitmap(const Dib& page) {
  Bitmap bitmap(FreeImage_Allocate(page.width(), page.height(), page.bitsPerPixel()));
  if (!bitmap) return bitmap;
  RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
  for (int i = 0; palette && i < page.paletteSize(); ++i) {
    const RgbQuad q = page.paletteEntry(i);
    palette[i] = {q.blue, q.green, q.red, 0};
  }
  FreeImage_SetDotsPerMeterX(bitmap.get(), static_cast<unsigned>(std::max(page.xDotsPerMetre(), 0)));
  FreeImage_SetDotsPerMeterY(bitmap.get(), static_cast<unsigned>(std::max(page.yDotsPerMetre(), 0)));
  if (FreeImage_GetPitch(bitmap.get()) != page.stride()) return Bitmap();
  std::memcpy(FreeImage_GetBits(bitmap.get()), page.pixels(), page.pixelBytes());
  return bitmap;
}

// FreeImage's own file output ignores failed writes (a full disk still gives a
// "successful" truncated GIF), so it writes through this sink, which remembers.
struct Sink {
  std::FILE* file;
  bool failed = false;
};

unsigned DLL_CALLCONV sinkWrite(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  auto* sink = static_cast<Sink*>(handle);
  const std::size_t written = std::fwrite(buffer, size, count, sink->file);
  if (written != count) sink->failed = true;
  return static_cast<unsigned>(written);
}
unsigned DLL_CALLCONV sinkRead(void*, unsigned, unsigned, fi_handle) { return 0; }
int DLL_CALLCONV sinkSeek(fi_handle handle, long offset, int origin) {
  return std::fseek(static_cast<Sink*>(handle)->file, offset, origin);
}
long DLL_CALLCONV sinkTell(fi_handle handle) { return std::ftell(static_cast<Sink*>(handle)->file); }

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

WriteResult save(FREE_IMAGE_FORMAT format, FIBITMAP* bitmap, const std::string& path) {
  StagedFile staged(path);
  if (!staged.ok()) return WriteResult::failure(staged.error());
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(staged.temporaryPath().c_str(), "wb"));
  if (!file) return WriteResult::failure(ioError("write", path, errno));
  Sink sink{file.get()};
  FreeImageIO io{sinkRead, sinkWrite, sinkSeek, sinkTell};
  const bool saved = FreeImage_SaveToHandle(format, bitmap, &io, &sink, 0) && !sink.failed;
  const int cause = errno;
  const bool closed = std::fclose(file.release()) == 0;
  if (!saved || !closed) return WriteResult::failure(ioError("write", path, saved ? errno : cause));
  return staged.commit();
}

WriteResult outOfMemory(const std::string& path) {
  return WriteResult::failure("not enough memory to convert the page for " + path);
}

}  // namespace

WriteResult writeBmp(const Dib& page, const std::string& path) {
  Bitmap bitmap = toBitmap(page);
  if (!bitmap) return outOfMemory(path);
  return save(FIF_BMP, bitmap.get(), path);
}

WriteResult writeGif(const Dib& page, const std::string& path) {
  Bitmap bitmap = toBitmap(page);
  if (!bitmap) return outOfMemory(path);
  if (page.bitsPerPixel() == 8) {
    // Scanners deliver 8-bit pages as grey levels; the file says so whatever
    // table came with the page.
    RGBQUAD* palette = FreeImage_GetPalette(bitmap.get());
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<BYTE>(i);
      palette[i] = {v, v, v, 0};
    }
  } else if (page.bitsPerPixel() == 24) {
    // GIF holds at most 256 colours.
    bitmap.reset(FreeImage_ColorQuantize(bitmap.get(), FIQ_WUQUANT));
    if (!bitmap) return outOfMemory(path);
  }
  return save(FIF_GIF, bitmap.get(), path);
}

}  // namespace ostrel::writers
