#pragma once
// The blank-page library's call shape, served in-process by our own detector:
// the page step fills a parameter block, initialises a library instance, asks
// it about one page and terminates it again.
//
//   BlankPageParameters block = ...;
//   int status = 0;
//   BlankPageLibrary library;
//   library.InitializeLib();
//   const int result = library.BlankPageDetection(&block, pixels, 0, &block, 0, &status);
//   library.TerminateLib();
//   blank = result == 0 && status == kBlankPageStatus;
#include <cstdint>

namespace ostrel {

inline constexpr int kBlankPageStatus = -1003;    // status: the page is blank
inline constexpr int kContentPageStatus = -1004;  // status: the page has content

// Results other than 0.
inline constexpr int kBadParameters = -1;  // null pointer, wrong block size, unknown depth, sizes
inline constexpr int kNotInitialised = -2;

struct BlankPageParameters {
  std::uint32_t size = sizeof(BlankPageParameters);  // checked, as versions differ
  int bitDepth = 0;          // 1, 8 or 24
  int imageKind = 0;         // 1 for depth 1, 2 for depth 8, 4 for depth 24
  int samplesPerPixel = 0;   // 1 up to depth 8, 3 for depth 24
  int width = 0;             // pixels
  int height = 0;
  int rowBytes = 0;          // stride of the pixel rows, padding included
  int xResolution = 0;       // dots per inch
  int yResolution = 0;
  int sensitivity = 50;      // 0..100: higher calls more pages blank
  std::uint32_t whiteBackground = 0;  // all ones when the scanner's backing is white
  std::uint32_t whiteIsZero = 0;      // depth 1: all ones when a clear bit is white
  // Written by BlankPageDetection into its output block:
  int writingMarks = 0;      // marks taken as writing
  int setAsideMarks = 0;     // specks, edge lines and holes
};

class BlankPageLibrary {
 public:
  int InitializeLib();
  int TerminateLib();

  // in: the parameters; pixels: height rows of rowBytes bytes (either order);
  // out: receives the mark counts (may be in); status: kBlankPageStatus or
  // kContentPageStatus. Returns 0, or a negative code with status untouched;
  // kNotInitialised outside InitializeLib ... TerminateLib.
  int BlankPageDetection(const BlankPageParameters* in, const std::uint8_t* pixels, int reserved,
                         BlankPageParameters* out, int reservedToo, int* status) const;

 private:
  bool initialised_ = false;
};

}  // namespace ostrel
