#pragma once
// A page image as a packed device-independent bitmap held in one owned buffer:
// a 40-byte information header, a colour table for 1 and 8 bits per pixel
// (2 and 256 entries), then the pixel rows bottom-up, each padded to 4 bytes.
// Resolution is kept in dots per metre. Depths are 1, 8 and 24; 24-bit pixels
// are stored blue, green, red.
//
// Dib is move-only: every image operation returns a new Dib and copies are made
// on purpose with clone(), since a colour page at 300 dpi is 25 MB.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace ostrel {

struct RgbQuad {
  std::uint8_t blue = 0, green = 0, red = 0, reserved = 0;
  bool operator==(const RgbQuad&) const = default;
};

class Dib {
 public:
  static constexpr std::size_t kHeaderSize = 40;
  static constexpr int kMaxDimension = 65535;
  // Largest pixel data we accept: far above any scanner page, far below what
  // would exhaust memory on a bad header.
  static constexpr std::size_t kMaxPixelBytes = std::size_t{1} << 30;
  // 300 dots per inch in dots per metre.
  static constexpr int kDotsPerMetre300 = 11811;

  // A new image with every byte of its rows zero. 1-bit images get the palette
  // 0 = black, 1 = white; 8-bit images a 256-step grey ramp. nullopt for a depth
  // other than 1, 8 or 24, or a size outside 1..kMaxDimension.
  static std::optional<Dib> create(int width, int height, int bitsPerPixel,
                                   int xDotsPerMetre = kDotsPerMetre300,
                                   int yDotsPerMetre = kDotsPerMetre300);

  // As create(), but the pixel bytes are left for the caller to write, every one
  // of them (the padding at the end of each row is zeroed). Spares clearing a
  // 25 MB page that an operation is about to fill.
  static std::optional<Dib> createForOverwrite(int width, int height, int bitsPerPixel,
                                               int xDotsPerMetre = kDotsPerMetre300,
                                               int yDotsPerMetre = kDotsPerMetre300);

  // Takes a packed bitmap from outside (a data source, a file) after checking that
  // its header is one we handle and that the buffer holds every row; the reason
  // for a refusal goes to *error.
  static std::optional<Dib> fromPacked(std::span<const std::uint8_t> packed,
                                       std::string* error = nullptr);

  Dib(Dib&&) noexcept = default;
  Dib& operator=(Dib&&) noexcept = default;
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  Dib clone() const;

  int width() const { return width_; }
  int height() const { return height_; }
  int bitsPerPixel() const { return bits_; }
  // Bytes per row including the padding to 4 bytes.
  std::size_t stride() const { return stride_; }
  int xDotsPerMetre() const;
  int yDotsPerMetre() const;
  void setResolution(int xDotsPerMetre, int yDotsPerMetre);
  // Dots per inch, rounded from dots per metre to the nearest whole dpi, as the
  // writers report it.
  int xDpi() const;
  int yDpi() const;

  int paletteSize() const { return paletteEntries_; }
  RgbQuad paletteEntry(int index) const;
  void setPaletteEntry(int index, RgbQuad colour);

  // Row y counted from the top of the page (stored bottom-up underneath).
  std::uint8_t* row(int y) { return pixels() + (static_cast<std::size_t>(height_ - 1 - y) * stride_); }
  const std::uint8_t* row(int y) const {
    return pixels() + (static_cast<std::size_t>(height_ - 1 - y) * stride_);
  }
  // The first stored row: the bottom row of the page.
  std::uint8_t* pixels() { return data_.get() + pixelOffset(); }
  const std::uint8_t* pixels() const { return data_.get() + pixelOffset(); }
  std::size_t pixelBytes() const { return stride_ * static_cast<std::size_t>(height_); }

  // The whole packed bitmap: header, colour table and rows.
  std::span<const std::uint8_t> packed() const { return {data_.get(), size_}; }

  // True for a 1-bit image whose palette entry 0 is darker than entry 1.
  bool zeroIsBlack() const;

  static std::size_t strideFor(int width, int bitsPerPixel);

 private:
  Dib() = default;
  static std::optional<Dib> allocate(int width, int height, int bitsPerPixel, int xDotsPerMetre,
                                     int yDotsPerMetre);
  std::size_t pixelOffset() const { return kHeaderSize + 4 * static_cast<std::size_t>(paletteEntries_); }
  void writeHeader(int xDotsPerMetre, int yDotsPerMetre);

  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_ = 0;
  int width_ = 0;
  int height_ = 0;
  int bits_ = 0;
  int paletteEntries_ = 0;
  std::size_t stride_ = 0;
};

}  // namespace ostrel
