#pragma once
// Reading written files back for the writer tests: TIFF directories through
// libtiff, other images through FreeImage, and the command-line checkers.
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/dib.h"

namespace ostrel::testing {

struct CommandResult {
  int status = -1;
  std::string output;  // standard output and error together
};
CommandResult runCommand(const std::string& command);
std::string quoted(const std::string& path);

// An image decoded to 8-bit RGB, top row first.
struct Rgb {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  const std::uint8_t* at(int x, int y) const { return &pixels[3 * (static_cast<std::size_t>(y) * width + x)]; }
};
Rgb toRgb(const Dib& page);
// Mean absolute difference per channel; images of different size differ by 255.
double meanDifference(const Rgb& a, const Rgb& b);

struct TiffPage {
  int compression = 0;
  int photometric = 0;
  int bitsPerSample = 0;
  float xResolution = 0;
  float yResolution = 0;
  Rgb image;
};
// Every directory of a TIFF file; empty when it does not open.
std::vector<TiffPage> readTiff(const std::string& path);

// Any image FreeImage reads, with its bit depth, palette size and dots per metre.
struct FreeImageFile {
  int bitsPerPixel = 0;
  int paletteSize = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  int xDotsPerMetre = 0;
  Rgb image;
  std::vector<std::uint8_t> indices;  // for palette images: top row first
};
bool readWithFreeImage(const std::string& path, FreeImageFile& file);

// Names in a folder, hidden ones included, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

}  // namespace ostrel::testing
