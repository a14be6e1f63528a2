#include "scanners/sourcemanager/page_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ostrel::virtualscanner {

namespace {

constexpr std::uint8_t kWhite = 255;

int dotsPerMetre(double dpi) { return static_cast<int>(dpi / 0.0254 + 0.5); }

// For each output column, the sheet column under its centre, or -1 off the sheet.
std::vector<int> sampleColumns(int outWidth, const FrameInches& frame, const ScanGeometry& geometry,
                               const SourcePage& sheet) {
  std::vector<int> columns(static_cast<std::size_t>(outWidth));
  for (int x = 0; x < outWidth; ++x) {
    const double onSheet = frame.left + (x + 0.5) / geometry.xDpi - geometry.sheetLeft;
    const auto column = static_cast<long>(std::floor(onSheet * sheet.xDpi));
    columns[static_cast<std::size_t>(x)] = column >= 0 && column < sheet.image.width() ? static_cast<int>(column) : -1;
  }
  return columns;
}

bool contiguous(const std::vector<int>& columns) {
  for (std::size_t x = 0; x < columns.size(); ++x) {
    if (columns[x] < 0 || columns[x] != columns[0] + static_cast<int>(x)) return false;
  }
  return true;
}

void colourRow(std::uint8_t* out, const std::uint8_t* in, const std::vector<int>& columns, bool straight) {
  if (in && straight) {
    std::memcpy(out, in + 3 * static_cast<std::size_t>(columns[0]), 3 * columns.size());
    return;
  }
  for (int column : columns) {
    if (in && column >= 0) {
      std::memcpy(out, in + 3 * static_cast<std::size_t>(column), 3);
    } else {
      out[0] = out[1] = out[2] = kWhite;
    }
    out += 3;
  }
}

void greyRow(std::uint8_t* out, const std::uint8_t* in, const std::vector<int>& columns, bool straight) {
  if (in && straight) {
    std::memcpy(out, in + columns[0], columns.size());
    return;
  }
  for (int column : columns) *out++ = in && column >= 0 ? in[column] : kWhite;
}

// Palette entry 1 is white; paper lighter than half scale reads as white.
void blackWhiteRow(std::uint8_t* out, const std::uint8_t* in, const std::vector<int>& columns, bool straight) {
  const std::size_t count = columns.size();
  std::size_t x = 0;
  if (in && straight) {
    // Bit 7 of a grey level is set exactly from 128 on.
    const std::uint8_t* p = in + columns[0];
    for (; x + 8 <= count; x += 8, p += 8) {
      *out++ = static_cast<std::uint8_t>((p[0] >> 7) << 7 | (p[1] >> 7) << 6 | (p[2] >> 7) << 5 | (p[3] >> 7) << 4 |
                                         (p[4] >> 7) << 3 | (p[5] >> 7) << 2 | (p[6] >> 7) << 1 | (p[7] >> 7));
    }
  }
  for (; x < count; x += 8) {
    unsigned byte = 0;
    const std::size_t bits = std::min<std::size_t>(8, count - x);
    for (std::size_t bit = 0; bit < bits; ++bit) {
      const int column = columns[x + bit];
      byte = (byte << 1) | (!in || column < 0 || in[column] >= 128 ? 1u : 0u);
    }
    *out++ = static_cast<std::uint8_t>(byte << (8 - bits));
  }
}

}  // namespace

bool hasColour(const Dib& sheet) {
  constexpr int kStep = 4;
  constexpr int kTintLimit = 48;
  constexpr int kColouredSamples = 16;
  int coloured = 0;
  for (int y = 0; y < sheet.height(); y += kStep) {
    const std::uint8_t* row = sheet.row(y);
    for (int x = 0; x < sheet.width(); x += kStep) {
      const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
      const int spread = std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
      if (spread > kTintLimit && ++coloured >= kColouredSamples) return true;
    }
  }
  return false;
}

std::optional<Dib> renderPage(const SourcePage& sheet, const ScanGeometry& geometry, PixelType type,
                              const Dib::Allocate& memory) {
  const FrameInches frame = geometry.frame.value_or(
      FrameInches{geometry.sheetLeft, 0, geometry.sheetLeft + sheet.image.width() / sheet.xDpi,
                  sheet.image.height() / sheet.yDpi});
  const double width = std::round((frame.right - frame.left) * geometry.xDpi);
  const double height = std::round((frame.bottom - frame.top) * geometry.yDpi);
  if (!(width >= 1 && height >= 1 && width <= Dib::kMaxDimension && height <= Dib::kMaxDimension)) {
    return std::nullopt;
  }
  const int bits = type == PixelType::BlackWhite ? 1 : type == PixelType::Grey ? 8 : 24;
  // Every pixel of every row is drawn below: nothing to clear first.
  auto page = Dib::createForOverwrite(static_cast<int>(width), static_cast<int>(height), bits,
                                      dotsPerMetre(geometry.xDpi), dotsPerMetre(geometry.yDpi), memory);
  if (!page) return std::nullopt;

  const std::vector<int> columns = sampleColumns(page->width(), frame, geometry, sheet);
  const bool straight = contiguous(columns);
  for (int y = 0; y < page->height(); ++y) {
    const auto row = static_cast<long>(std::floor((frame.top + (y + 0.5) / geometry.yDpi) * sheet.yDpi));
    const bool onSheet = row >= 0 && row < sheet.image.height();
    const Dib& source = type == PixelType::Colour ? sheet.image : sheet.grey;
    const std::uint8_t* in = onSheet ? source.row(static_cast<int>(row)) : nullptr;
    std::uint8_t* out = page->row(y);
    switch (type) {
      case PixelType::Colour: colourRow(out, in, columns, straight); break;
      case PixelType::Grey: greyRow(out, in, columns, straight); break;
      case PixelType::BlackWhite: blackWhiteRow(out, in, columns, straight); break;
    }
  }
  return page;
}

}  // namespace ostrel::virtualscanner
