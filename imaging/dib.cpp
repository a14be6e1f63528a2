#include "imaging/dib.h"

#include <cmath>
#include <cstring>

namespace ostrel {

namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}
void put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint32_t get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::nullopt_t fail(std::string* error, const char* reason) {
  if (error) *error = reason;
  return std::nullopt;
}

}  // namespace

std::size_t Dib::strideFor(int width, int bitsPerPixel) {
  return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32) * 4;
}

void Dib::Deleter::operator()(std::uint8_t* data) const noexcept {
  if (free) {
    free(data);
  } else {
    std::default_delete<std::uint8_t[]>()(data);
  }
}

std::optional<Dib> Dib::shape(int width, int height, int bitsPerPixel) {
  if (bitsPerPixel != 1 && bitsPerPixel != 8 && bitsPerPixel != 24) return std::nullopt;
  if (width < 1 || height < 1 || width > kMaxDimension || height > kMaxDimension) return std::nullopt;
  Dib dib;
  dib.width_ = width;
  dib.height_ = height;
  dib.bits_ = bitsPerPixel;
  dib.paletteEntries_ = bitsPerPixel == 24 ? 0 : (1 << bitsPerPixel);
  dib.stride_ = strideFor(width, bitsPerPixel);
  if (dib.pixelBytes() > kMaxPixelBytes) return std::nullopt;
  dib.size_ = dib.pixelOffset() + dib.pixelBytes();
  return dib;
}

std::optional<Dib> Dib::allocate(int width, int height, int bitsPerPixel, int xDotsPerMetre, int yDotsPerMetre,
                                 const Allocate& memory) {
  auto dib = shape(width, height, bitsPerPixel);
  if (!dib) return dib;
  dib->data_ = memory ? memory(dib->size_) : Buffer(std::make_unique_for_overwrite<std::uint8_t[]>(dib->size_));
  if (!dib->data_) return std::nullopt;
  std::memset(dib->data_.get(), 0, dib->pixelOffset());
  dib->writeHeader(xDotsPerMetre, yDotsPerMetre);
  if (bitsPerPixel == 1) {
    dib->setPaletteEntry(0, {0, 0, 0, 0});
    dib->setPaletteEntry(1, {255, 255, 255, 0});
  } else if (bitsPerPixel == 8) {
    for (int i = 0; i < 256; ++i) {
      const auto v = static_cast<std::uint8_t>(i);
      dib->setPaletteEntry(i, {v, v, v, 0});
    }
  }
  return dib;
}

std::optional<Dib> Dib::create(int width, int height, int bitsPerPixel, int xDotsPerMetre,
                               int yDotsPerMetre) {
  auto dib = allocate(width, height, bitsPerPixel, xDotsPerMetre, yDotsPerMetre);
  if (dib) std::memset(dib->pixels(), 0, dib->pixelBytes());
  return dib;
}

std::optional<Dib> Dib::createForOverwrite(int width, int height, int bitsPerPixel, int xDotsPerMetre,
                                           int yDotsPerMetre, const Allocate& memory) {
  auto dib = allocate(width, height, bitsPerPixel, xDotsPerMetre, yDotsPerMetre, memory);
  if (!dib) return dib;
  // From the last byte that holds a pixel (it may hold padding bits too) to the
  // end of the row.
  const std::size_t kept = static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) / 8;
  for (int y = 0; y < height; ++y) std::memset(dib->row(y) + kept, 0, dib->stride_ - kept);
  return dib;
}

void Dib::writeHeader(int xDotsPerMetre, int yDotsPerMetre) {
  std::uint8_t* h = data_.get();
  put32(h + 0, kHeaderSize);
  put32(h + 4, static_cast<std::uint32_t>(width_));
  put32(h + 8, static_cast<std::uint32_t>(height_));  // positive: bottom-up
  put16(h + 12, 1);
  put16(h + 14, static_cast<std::uint16_t>(bits_));
  put32(h + 16, 0);  // BI_RGB
  put32(h + 20, static_cast<std::uint32_t>(pixelBytes()));
  put32(h + 24, static_cast<std::uint32_t>(xDotsPerMetre));
  put32(h + 28, static_cast<std::uint32_t>(yDotsPerMetre));
  put32(h + 32, static_cast<std::uint32_t>(paletteEntries_));
  put32(h + 36, 0);
}

std::optional<Dib::Layout> Dib::readLayout(std::span<const std::uint8_t> packed, std::string* error) {
  if (packed.size() < kHeaderSize) return fail(error, "shorter than a bitmap header");
  const std::uint8_t* h = packed.data();
  const std::uint32_t headerSize = get32(h);
  const auto width = static_cast<std::int32_t>(get32(h + 4));
  const auto height = static_cast<std::int32_t>(get32(h + 8));
  const std::uint16_t planes = get16(h + 12);
  const std::uint16_t bits = get16(h + 14);
  const std::uint32_t compression = get32(h + 16);
  const std::uint32_t colours = get32(h + 32);

  if (headerSize != kHeaderSize) return fail(error, "unsupported bitmap header size");
  if (planes != 1) return fail(error, "bitmap has more than one plane");
  if (compression != 0) return fail(error, "compressed bitmaps are not supported");
  if (bits != 1 && bits != 8 && bits != 24) return fail(error, "unsupported bit depth");
  if (width < 1 || width > kMaxDimension) return fail(error, "bitmap width out of range");
  if (height < 1 || height > kMaxDimension) {
    return fail(error, "bitmap height out of range (only bottom-up rows are accepted)");
  }
  const int fullPalette = bits == 24 ? 0 : (1 << bits);
  if (colours > static_cast<std::uint32_t>(fullPalette)) {
    return fail(error, "colour table larger than the depth allows");
  }
  const int storedEntries = bits == 24 ? 0 : (colours == 0 ? fullPalette : static_cast<int>(colours));

  const std::size_t stride = strideFor(width, bits);
  const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
  if (pixelBytes > kMaxPixelBytes) return fail(error, "bitmap too large");
  const std::size_t pixelStart = kHeaderSize + 4 * static_cast<std::size_t>(storedEntries);
  if (packed.size() < pixelStart + pixelBytes) {
    return fail(error, "bitmap data shorter than its header says");
  }
  return Layout{width,
                height,
                bits,
                static_cast<std::int32_t>(get32(h + 24)),
                static_cast<std::int32_t>(get32(h + 28)),
                storedEntries,
                pixelStart};
}

std::optional<Dib> Dib::fromPacked(std::span<const std::uint8_t> packed, std::string* error) {
  const auto layout = readLayout(packed, error);
  if (!layout) return std::nullopt;
  // Every pixel byte is copied over: nothing to clear first.
  auto dib = allocate(layout->width, layout->height, layout->bits, layout->xDotsPerMetre, layout->yDotsPerMetre);
  if (!dib) return fail(error, "bitmap cannot be allocated");
  // Normalise to a full colour table so every later step can index it directly.
  const std::uint8_t* h = packed.data();
  for (int i = 0; i < layout->storedEntries; ++i) {
    const std::uint8_t* q = h + kHeaderSize + 4 * static_cast<std::size_t>(i);
    dib->setPaletteEntry(i, {q[0], q[1], q[2], 0});
  }
  for (int i = layout->storedEntries; i < dib->paletteEntries_; ++i) dib->setPaletteEntry(i, {0, 0, 0, 0});
  std::memcpy(dib->pixels(), h + layout->pixelStart, dib->pixelBytes());
  return dib;
}

std::optional<Dib> Dib::adopt(Buffer packed, std::size_t size, std::string* error) {
  if (!packed) return fail(error, "no bitmap memory");
  const std::span<const std::uint8_t> bytes(packed.get(), size);
  const auto layout = readLayout(bytes, error);
  if (!layout) return std::nullopt;
  auto dib = shape(layout->width, layout->height, layout->bits);
  if (!dib) return fail(error, "bitmap cannot be allocated");
  // The rows lie where a full colour table would put them only when it is full.
  if (layout->storedEntries != dib->paletteEntries_) return fromPacked(bytes, error);
  dib->data_ = std::move(packed);
  dib->writeHeader(layout->xDotsPerMetre, layout->yDotsPerMetre);
  for (int i = 0; i < dib->paletteEntries_; ++i) dib->setPaletteEntry(i, dib->paletteEntry(i));  // reserved bytes 0
  return dib;
}

Dib Dib::clone() const {
  Dib copy;
  copy.width_ = width_;
  copy.height_ = height_;
  copy.bits_ = bits_;
  copy.paletteEntries_ = paletteEntries_;
  copy.stride_ = stride_;
  copy.size_ = size_;
  copy.data_ = std::make_unique_for_overwrite<std::uint8_t[]>(size_);
  std::memcpy(copy.data_.get(), data_.get(), size_);
  return copy;
}

int Dib::xDotsPerMetre() const { return static_cast<std::int32_t>(get32(data_.get() + 24)); }
int Dib::yDotsPerMetre() const { return static_cast<std::int32_t>(get32(data_.get() + 28)); }

void Dib::setResolution(int xDotsPerMetre, int yDotsPerMetre) {
  put32(data_.get() + 24, static_cast<std::uint32_t>(xDotsPerMetre));
  put32(data_.get() + 28, static_cast<std::uint32_t>(yDotsPerMetre));
}

// Whole dots per metre cannot hold 300 dpi (11811 is 299.9994), so truncation
// would write every such page as 299 dpi.
int Dib::xDpi() const { return static_cast<int>(std::lround(xDotsPerMetre() * 0.0254)); }
int Dib::yDpi() const { return static_cast<int>(std::lround(yDotsPerMetre() * 0.0254)); }

RgbQuad Dib::paletteEntry(int index) const {
  if (index < 0 || index >= paletteEntries_) return {};
  const std::uint8_t* q = data_.get() + kHeaderSize + 4 * static_cast<std::size_t>(index);
  return {q[0], q[1], q[2], q[3]};
}

void Dib::setPaletteEntry(int index, RgbQuad colour) {
  if (index < 0 || index >= paletteEntries_) return;
  std::uint8_t* q = data_.get() + kHeaderSize + 4 * static_cast<std::size_t>(index);
  q[0] = colour.blue;
  q[1] = colour.green;
  q[2] = colour.red;
  q[3] = 0;
}

bool Dib::zeroIsBlack() const {
  if (bits_ != 1) return false;
  const auto luminance = [](RgbQuad q) { return q.red * 299 + q.green * 587 + q.blue * 114; };
  return luminance(paletteEntry(0)) < luminance(paletteEntry(1));
}

}  // namespace ostrel
