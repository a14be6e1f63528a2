#pragma once
// A page image as a packed device-independent bitmap held in one owned buffer:
// a 40-byte information header, a colour table for 1 and 8 bits per pixel
// (2 and 256 entries), then the pixel rows bottom-up, each padded to 4 bytes.
// Resolution is kept in dots per metre. Depths are 1, 8 and 24; 24-bit pixels
// are stored blue, green, red.
//
// Dib is move-only: every image operation returns a new Dib and copies are made
// on purpose with clone(), since a colour page at 300 dpi is 25 MB. For the same
// reason a Dib can hold memory it did not allocate (a source manager's image
// handle, a pool that recycles pages) and give it back the way it came, so a
// page crosses from the scanner to the job without being copied.
#include <cstddef>
#include <cstdint>
#include <functional>
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

  // How a Dib's memory is freed: an array of its own is deleted; memory from
  // elsewhere goes back through `free`.
  struct Deleter {
    Deleter() = default;
    // An array of the Dib's own becomes a Buffer as it is.
    Deleter(std::default_delete<std::uint8_t[]>) {}  // NOLINT(google-explicit-constructor)
    explicit Deleter(std::function<void(std::uint8_t*)> giveBack) : free(std::move(giveBack)) {}
    void operator()(std::uint8_t* data) const noexcept;
    std::function<void(std::uint8_t*)> free;
  };
  using Buffer = std::unique_ptr<std::uint8_t[], Deleter>;
  // Memory of the given size for a new image; null when there is none.
  using Allocate = std::function<Buffer(std::size_t size)>;

  // A new image with every byte of its rows zero. 1-bit images get the palette
  // 0 = black, 1 = white; 8-bit images a 256-step grey ramp. nullopt for a depth
  // other than 1, 8 or 24, or a size outside 1..kMaxDimension.
  static std::optional<Dib> create(int width, int height, int bitsPerPixel,
                                   int xDotsPerMetre = kDotsPerMetre300,
                                   int yDotsPerMetre = kDotsPerMetre300);

  // As create(), but the pixel bytes are left for the caller to write, every one
  // of them (the padding at the end of each row is zeroed). Spares clearing a
  // 25 MB page that an operation is about to fill. The memory comes from
  // `memory` when given; nullopt when it has none.
  static std::optional<Dib> createForOverwrite(int width, int height, int bitsPerPixel,
                                               int xDotsPerMetre = kDotsPerMetre300,
                                               int yDotsPerMetre = kDotsPerMetre300,
                                               const Allocate& memory = {});

  // Takes a packed bitmap from outside (a data source, a file) after checking that
  // its header is one we handle and that the buffer holds every row; the reason
  // for a refusal goes to *error.
  static std::optional<Dib> fromPacked(std::span<const std::uint8_t> packed,
                                       std::string* error = nullptr);

  // As fromPacked(), but the image keeps the memory the bitmap is in, size
  // bytes, rather than a copy of it (its header is rewritten in the form
  // create() writes). Only a colour table shorter than the depth's is copied
  // out, to be completed. A refused bitmap's memory is freed at once.
  static std::optional<Dib> adopt(Buffer packed, std::size_t size, std::string* error = nullptr);

  Dib(Dib&&) noexcept = default;
  Dib& operator=(Dib&&) noexcept = default;
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  Dib clone() const;

  // Gives up the memory of the packed bitmap (packed().size() bytes) with the
  // means of freeing it; the Dib is left empty, fit only to be destroyed or
  // assigned to.
  Buffer takeBuffer() && { return std::move(data_); }

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
  // What a packed bitmap's header says, checked against the bytes it came with.
  struct Layout {
    int width, height, bits, xDotsPerMetre, yDotsPerMetre;
    int storedEntries;  // colour table entries present in the bytes
    std::size_t pixelStart;
  };
  static std::optional<Layout> readLayout(std::span<const std::uint8_t> packed, std::string* error);

  Dib() = default;
  static std::optional<Dib> allocate(int width, int height, int bitsPerPixel, int xDotsPerMetre,
                                     int yDotsPerMetre, const Allocate& memory = {});
  // Sets the fields and checks the size; the memory is left to the caller.
  static std::optional<Dib> shape(int width, int height, int bitsPerPixel);
  std::size_t pixelOffset() const { return kHeaderSize + 4 * static_cast<std::size_t>(paletteEntries_); }
  void writeHeader(int xDotsPerMetre, int yDotsPerMetre);

  Buffer data_;
  std::size_t size_ = 0;
  int width_ = 0;
  int height_ = 0;
  int bits_ = 0;
  int paletteEntries_ = 0;
  std::size_t stride_ = 0;
};

}  // namespace ostrel
