#include "imaging/cleanup/ink_cells.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace ostrel {

namespace {

constexpr int kAssumedDpi = 300;

int usableDpi(int dpi) { return dpi > 0 && dpi <= 4800 ? dpi : kAssumedDpi; }

// About 0.68 mm: eight pixels at 300 dpi.
int cellPixels(int dpi) { return std::clamp(static_cast<int>(std::lround(dpi * 8.0 / 300.0)), 2, 32); }

const std::uint8_t* storedRow(const PageRaster& page, int y) {
  return page.pixels + static_cast<std::size_t>(y) * page.rowBytes;
}

// The paper's level per channel, from a sparse sample of rows: first the most
// common level of the brighter half (dark borders and photographs stay out),
// then the median of the levels near it. The median is not pulled by noise
// clipped at 255 the way the mode or a high percentile is.
std::array<int, 3> paperLevels(const PageRaster& page, int channels) {
  std::array<std::array<std::uint32_t, 256>, 3> histograms{};
  const int step = std::max(1, page.height / 64);
  for (int y = step / 2; y < page.height; y += step) {
    const std::uint8_t* row = storedRow(page, y);
    for (int x = 0; x < page.width; x += 2) {
      for (int c = 0; c < channels; ++c) ++histograms[static_cast<std::size_t>(c)][row[channels * x + c]];
    }
  }
  std::array<int, 3> levels{};
  for (int c = 0; c < channels; ++c) {
    const auto& h = histograms[static_cast<std::size_t>(c)];
    const auto median = [&h](int from) {
      std::uint64_t total = 0, seen = 0;
      for (int level = from; level < 256; ++level) total += h[static_cast<std::size_t>(level)];
      int level = from;
      while (level < 255 && (seen += h[static_cast<std::size_t>(level)]) * 2 < total) ++level;
      return level;
    };
    std::uint64_t best = 0;
    int mode = 255;
    for (int level = median(0); level < 256; ++level) {
      std::uint64_t window = 0;  // five levels, so noise does not split the peak
      for (int l = std::max(0, level - 2); l <= std::min(255, level + 2); ++l) window += h[static_cast<std::size_t>(l)];
      if (window > best) best = window, mode = level;
    }
    levels[static_cast<std::size_t>(c)] = median(std::max(0, mode - 40));
  }
  return levels;
}

// Dark bytes of a row added to per-byte tallies. Blocks of fixed length into
// a local array let the compiler use vector instructions (stores into the
// local block cannot alias the rows read).
void tallyDarkBytes(const std::uint8_t* row, const std::uint8_t* thresholds, std::uint8_t* tally,
                    std::size_t bytes) {
  constexpr std::size_t kBlock = 32;
  std::size_t i = 0;
  for (; i + kBlock <= bytes; i += kBlock) {
    std::array<std::uint8_t, kBlock> block;
    for (std::size_t j = 0; j < kBlock; ++j) {
      block[j] = static_cast<std::uint8_t>(tally[i + j] + (row[i + j] < thresholds[i + j]));
    }
    std::memcpy(tally + i, block.data(), kBlock);
  }
  for (; i < bytes; ++i) tally[i] = static_cast<std::uint8_t>(tally[i] + (row[i] < thresholds[i]));
}

// The tallies of one row of cells summed into the cells, eight bytes at a
// time, and cleared for the next.
void emptyTallies(std::uint8_t* tally, std::size_t bytes, std::size_t bytesPerCell, std::uint16_t* cells) {
  std::size_t start = 0;
  for (std::size_t cell = 0; start < bytes; ++cell, start += bytesPerCell) {
    const std::size_t end = std::min(bytes, start + bytesPerCell);
    unsigned sum = 0;
    std::size_t k = start;
    for (; k + 8 <= end; k += 8) {
      std::uint64_t eight;
      std::memcpy(&eight, tally + k, 8);
      // The top byte of the product is the sum of all eight; a tally is at
      // most the seven rows a cell samples, so no partial sum overflows.
      sum += static_cast<unsigned>((eight * 0x0101010101010101ull) >> 56);
    }
    for (; k < end; ++k) sum += tally[k];
    cells[cell] = static_cast<std::uint16_t>(cells[cell] + sum);
  }
  std::memset(tally, 0, bytes);
}

// Black pixels of a 1-bit row counted into cells of whole bytes; a byte's
// padding bits count as white.
void countBits(const std::uint8_t* row, int width, std::size_t bytesPerCell,
               const std::array<std::uint8_t, 256>& blackInByte, std::uint8_t paddingMask, std::uint16_t* cells) {
  const std::size_t wholeBytes = static_cast<std::size_t>(width) / 8;
  if (bytesPerCell == 1) {  // 300 dpi and below: one byte, one cell
    for (std::size_t k = 0; k < wholeBytes; ++k) cells[k] = static_cast<std::uint16_t>(cells[k] + blackInByte[row[k]]);
  } else {
    for (std::size_t k = 0; k < wholeBytes; ++k) {
      std::uint16_t& cell = cells[k / bytesPerCell];
      cell = static_cast<std::uint16_t>(cell + blackInByte[row[k]]);
    }
  }
  if (width % 8 != 0) {
    std::uint16_t& cell = cells[wholeBytes / bytesPerCell];
    cell = static_cast<std::uint16_t>(cell + blackInByte[row[wholeBytes] ^ paddingMask]);
  }
}

}  // namespace

InkCells measureInk(const PageRaster& page, int contrast) {
  InkCells ink;
  const int xDpi = usableDpi(page.xDpi), yDpi = usableDpi(page.yDpi);
  const bool oneBit = page.bitsPerPixel == 1;
  // 1-bit cells are whole bytes wide, so their pixels are counted by table.
  const int cellWidth = oneBit ? 8 * std::max(1, (cellPixels(xDpi) + 4) / 8) : cellPixels(xDpi);
  const int cellHeight = cellPixels(yDpi);
  // Strokes worth seeing are two pixels or more across at these sizes, so
  // every other row sees each one once cells are four rows or more.
  const int rowStep = std::max(1, cellHeight / 4);
  ink.columns = (page.width + cellWidth - 1) / cellWidth;
  ink.rows = (page.height + cellHeight - 1) / cellHeight;
  ink.cellWidthMm = cellWidth * 25.4 / xDpi;
  ink.cellHeightMm = cellHeight * 25.4 / yDpi;
  ink.counts.assign(static_cast<std::size_t>(ink.columns) * static_cast<std::size_t>(ink.rows), 0);
  const double pixelMm2 = (25.4 / xDpi) * (25.4 / yDpi) * rowStep;
  ink.pageWidth = page.width;
  ink.pageHeight = page.height;
  ink.cellWidthPixels = cellWidth;
  ink.cellHeightPixels = cellHeight;
  ink.rowStep = rowStep;
  const std::size_t columns = static_cast<std::size_t>(ink.columns);

  if (oneBit) {
    ink.mm2PerCount = pixelMm2;
    std::array<std::uint8_t, 256> blackInByte{};
    for (int b = 0; b < 256; ++b) {
      const int set = std::popcount(static_cast<unsigned>(b));
      blackInByte[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(page.blackIsZero ? 8 - set : set);
    }
    const int tailBits = page.width % 8;
    const auto padding = static_cast<std::uint8_t>(tailBits ? 0xFF >> tailBits : 0);
    for (int y = 0; y < page.height; y += rowStep) {
      const std::uint8_t* row = storedRow(page, y);
      const std::uint8_t last = tailBits ? row[page.width / 8] : 0;
      // XOR with this turns the last byte's padding bits white, whatever they hold.
      const std::uint8_t paddingMask =
          static_cast<std::uint8_t>((page.blackIsZero ? ~last : last) & padding);
      countBits(row, page.width, static_cast<std::size_t>(cellWidth / 8), blackInByte, paddingMask,
                ink.counts.data() + static_cast<std::size_t>(y / cellHeight) * columns);
    }
    return ink;
  }

  const int channels = page.bitsPerPixel / 8;
  ink.samplesPerPixel = channels;
  // A black pixel counts once per channel: the thresholds scale with it.
  ink.inkedCount = 2 * (channels == 3 ? 2 : 1);
  ink.mm2PerCount = pixelMm2 / channels;
  const auto paper = paperLevels(page, channels);
  const std::size_t bytes = static_cast<std::size_t>(page.width) * static_cast<std::size_t>(channels);
  std::vector<std::uint8_t> thresholds(bytes), tally(bytes, 0);
  for (std::size_t i = 0; i < bytes; ++i) {
    // Ink darkens paper by a share of its light, so on grey paper the same
    // pencil or bleed-through lies fewer levels below it.
    const int level = paper[i % static_cast<std::size_t>(channels)];
    thresholds[i] = static_cast<std::uint8_t>(std::clamp(level - contrast * level / 255, 0, 255));
  }
  const std::size_t bytesPerCell = static_cast<std::size_t>(cellWidth) * static_cast<std::size_t>(channels);
  for (int cellRow = 0; cellRow < ink.rows; ++cellRow) {
    const int last = std::min(page.height, (cellRow + 1) * cellHeight);
    for (int y = cellRow * cellHeight; y < last; y += rowStep) {
      tallyDarkBytes(storedRow(page, y), thresholds.data(), tally.data(), bytes);
    }
    emptyTallies(tally.data(), bytes, bytesPerCell, ink.counts.data() + static_cast<std::size_t>(cellRow) * columns);
  }
  return ink;
}

}  // namespace ostrel
