#pragma once
// Builds one page image from the frames a scanner sends: grey frames of 1, 8
// or 16 bits per sample, interleaved colour frames, or a colour page sent as
// three single-colour frames (old three-pass scanners), with lines padded to
// any length and a length known beforehand or only at the end (hand scanners).
//
// The page comes out as the depth it was scanned at: 1-bit frames as a 1-bit
// page (the scanner's set bit is black; the page's palette is 0 = black,
// 1 = white), grey as 8-bit (16-bit samples keep their high byte), colour as
// 24-bit. Parameters no page can be made of are refused before any memory is
// taken for them, and a failed allocation is a refusal like any other: it
// never ends the process.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/dib.h"
#include "scanners/sane/frame_supplier.h"

namespace ostrel::sane {

class PageAssembler {
 public:
  // The page's resolution in dots per inch.
  explicit PageAssembler(double dpi);

  // Each step returns false with the reason in *error; the page is then lost
  // and the assembler takes nothing more.
  bool beginFrame(const FrameParameters& frame, std::string* error);
  // The frame's bytes in the order they came, in pieces of any size. Bytes
  // beyond the lines the frame announced are dropped.
  bool add(std::span<const std::uint8_t> bytes, std::string* error);
  // The frame has ended; a line left incomplete is dropped.
  bool endFrame(std::string* error);

  // True once the last frame has ended.
  bool complete() const { return complete_; }
  // The page, once complete. Lines that never came are cut off the bottom.
  std::optional<Dib> finish(std::string* error);

 private:
  bool refuse(std::string reason, std::string* error);
  // The page's image for lines rows; nullopt, refused, when it cannot be had.
  std::optional<Dib> newPage(int lines, std::string* error);
  bool storeLine(const std::uint8_t* line, std::string* error);
  std::uint8_t* targetRow(int y);

  double dpi_;
  FrameParameters frame_;
  bool inFrame_ = false;
  bool failed_ = false;
  bool complete_ = false;
  int frames_ = 0;
  unsigned channelsSeen_ = 0;  // bits for red, green, blue frames

  int width_ = 0;
  int bits_ = 0;        // of the page: 1, 8 or 24
  int lines_ = 0;       // announced, or -1
  std::size_t rowBytes_ = 0;
  int frameLines_ = 0;  // lines of the current frame so far
  int pageLines_ = -1;  // the fewest lines any ended frame brought
  std::vector<std::uint8_t> partial_;
  // Rows go straight into the page when the length is known, else into rows_
  // (top row first) until the end says how many there are.
  std::optional<Dib> page_;
  std::vector<std::uint8_t> rows_;
};

}  // namespace ostrel::sane
