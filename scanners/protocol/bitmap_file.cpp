#include "scanners/protocol/bitmap_file.h"

#include <cstdint>
#include <cstdio>
#include <memory>

namespace ostrel {

namespace {

void put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool writeBitmapFile(const Dib& image, const std::string& path) {
  // Colours: 2 to the power of the depth up to 8 bits; rows in whole dwords.
  const std::uint32_t colours = image.bitsPerPixel() <= 8 ? 1u << image.bitsPerPixel() : 0;
  const std::uint32_t dwordsPerRow =
      (static_cast<std::uint32_t>(image.bitsPerPixel()) * static_cast<std::uint32_t>(image.width()) + 31) / 32;
  const std::uint32_t pixelOffset = 54 + 4 * colours;
  const std::uint32_t fileSize = pixelOffset + 4 * (static_cast<std::uint32_t>(image.height()) * dwordsPerRow);

  std::uint8_t header[14] = {};
  put16(header, 19778);  // "BM"
  put32(header + 2, fileSize);
  put32(header + 10, pixelOffset);

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  const auto packed = image.packed();
  const bool written = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header &&
                       std::fwrite(packed.data(), 1, packed.size(), file.get()) == packed.size();
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) std::remove(path.c_str());
  return written && closed;
}

}  // namespace ostrel
