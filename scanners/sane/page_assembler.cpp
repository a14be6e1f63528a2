#include "scanners/sane/page_assembler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace ostrel::sane {

namespace {

// Far more than a line of 65535 pixels of 16-bit colour takes; a longer line
// is a backend's mistake, not a page.
constexpr int kMaxBytesPerLine = 1 << 20;

bool singleColour(FrameFormat format) {
  return format == FrameFormat::Red || format == FrameFormat::Green || format == FrameFormat::Blue;
}

unsigned channelBit(FrameFormat format) {
  return format == FrameFormat::Red ? 1u : format == FrameFormat::Green ? 2u : 4u;
}

// Where a single colour lies in a page pixel, stored blue, green, red.
int pixelOffset(FrameFormat format) {
  return format == FrameFormat::Red ? 2 : format == FrameFormat::Green ? 1 : 0;
}

// 16-bit samples come in the machine's own byte order.
std::uint8_t highByte(const std::uint8_t* sample) {
  std::uint16_t value;
  std::memcpy(&value, sample, sizeof value);
  return static_cast<std::uint8_t>(value >> 8);
}

// Sample number index of a line, as 0..255. A set bit of a 1-bit colour
// sample is full intensity.
std::uint8_t sampleAt(const std::uint8_t* line, std::size_t index, int depth) {
  switch (depth) {
    case 8: return line[index];
    case 16: return highByte(line + 2 * index);
    default: return (line[index / 8] >> (7 - index % 8)) & 1 ? 255 : 0;
  }
}

int dotsPerMetre(double dpi) { return static_cast<int>(std::lround(dpi / 0.0254)); }

}  // namespace

PageAssembler::PageAssembler(double dpi) : dpi_(dpi) {}

bool PageAssembler::refuse(std::string reason, std::string* error) {
  failed_ = true;
  page_.reset();
  rows_ = {};
  partial_ = {};
  if (error) *error = std::move(reason);
  return false;
}

std::optional<Dib> PageAssembler::newPage(int lines, std::string* error) {
  const auto size = [&] { return std::to_string(width_) + " x " + std::to_string(lines) + " pixels"; };
  try {
    if (auto page = Dib::createForOverwrite(width_, lines, bits_, dotsPerMetre(dpi_), dotsPerMetre(dpi_))) return page;
  } catch (const std::bad_alloc&) {
    refuse("there is not enough memory for a page of " + size(), error);
    return std::nullopt;
  }
  refuse("a page of " + size() + " at " + std::to_string(bits_) + " bits is larger than a page may be", error);
  return std::nullopt;
}

bool PageAssembler::beginFrame(const FrameParameters& frame, std::string* error) {
  if (failed_) return refuse("the page has already failed", error);
  if (complete_) return refuse("a frame came after the page's last one", error);
  if (inFrame_) return refuse("a frame began before the one before it ended", error);
  if (frame.depth != 1 && frame.depth != 8 && frame.depth != 16) {
    return refuse("frames of " + std::to_string(frame.depth) + " bits per sample are not supported", error);
  }
  if (frame.pixelsPerLine < 1 || frame.pixelsPerLine > Dib::kMaxDimension) {
    return refuse("a line of " + std::to_string(frame.pixelsPerLine) + " pixels cannot be a page's", error);
  }
  if (frame.lines != -1 && (frame.lines < 1 || frame.lines > Dib::kMaxDimension)) {
    return refuse("a frame of " + std::to_string(frame.lines) + " lines cannot be a page's", error);
  }
  const int channels = frame.format == FrameFormat::Rgb ? 3 : 1;
  const std::size_t needed =
      (static_cast<std::size_t>(frame.pixelsPerLine) * static_cast<std::size_t>(channels * frame.depth) + 7) / 8;
  if (frame.bytesPerLine < 0 || static_cast<std::size_t>(frame.bytesPerLine) < needed ||
      frame.bytesPerLine > kMaxBytesPerLine) {
    return refuse(std::to_string(frame.bytesPerLine) + " bytes per line cannot hold " +
                      std::to_string(frame.pixelsPerLine) + " pixels of " + std::to_string(frame.depth) +
                      " bits per sample",
                  error);
  }
  const int bits = frame.format == FrameFormat::Grey ? (frame.depth == 1 ? 1 : 8) : 24;

  if (frames_ == 0) {
    width_ = frame.pixelsPerLine;
    bits_ = bits;
    lines_ = frame.lines;
    rowBytes_ = (static_cast<std::size_t>(width_) * static_cast<std::size_t>(bits_) + 7) / 8;
    if (lines_ > 0) {
      page_ = newPage(lines_, error);
      if (!page_) return false;
    }
  } else if (!singleColour(frame.format) || !singleColour(frame_.format)) {
    // Only a colour page sent one colour at a time comes in several frames.
    return refuse("a frame of another kind followed the page's first frame", error);
  } else if (frame.pixelsPerLine != width_ || frame.lines != lines_) {
    return refuse("the colour frames of one page differ in size", error);
  }
  if (singleColour(frame.format)) {
    if (channelsSeen_ & channelBit(frame.format)) return refuse("the same colour came twice for one page", error);
    channelsSeen_ |= channelBit(frame.format);
  }
  frame_ = frame;
  inFrame_ = true;
  frameLines_ = 0;
  partial_.clear();
  ++frames_;
  return true;
}

std::uint8_t* PageAssembler::targetRow(int y) {
  return page_ ? page_->row(y) : rows_.data() + static_cast<std::size_t>(y) * rowBytes_;
}

bool PageAssembler::storeLine(const std::uint8_t* line, std::string* error) {
  if (lines_ > 0 && frameLines_ >= lines_) return true;  // more than announced: dropped
  if (lines_ < 0) {
    if (frameLines_ >= Dib::kMaxDimension) return refuse("the scan is longer than a page may be", error);
    // Stop at the line that makes the scan too large for any page, before
    // holding gigabytes of rows that finish() could only refuse.
    if ((static_cast<std::size_t>(frameLines_) + 1) * Dib::strideFor(width_, bits_) > Dib::kMaxPixelBytes) {
      return refuse("the scan is larger than a page may be", error);
    }
    const std::size_t needed = (static_cast<std::size_t>(frameLines_) + 1) * rowBytes_;
    if (rows_.size() < needed) {
      try {
        rows_.resize(needed);
      } catch (const std::bad_alloc&) {
        return refuse("there is not enough memory for a scan of " + std::to_string(frameLines_ + 1) + " lines",
                      error);
      }
    }
  }
  std::uint8_t* out = targetRow(frameLines_);
  const auto width = static_cast<std::size_t>(width_);
  const int depth = frame_.depth;
  switch (frame_.format) {
    case FrameFormat::Grey:
      if (depth == 1) {
        // The scanner's set bit is black; the page's palette has black at 0.
        for (std::size_t i = 0; i < rowBytes_; ++i) out[i] = static_cast<std::uint8_t>(~line[i]);
        if (width % 8) out[rowBytes_ - 1] &= static_cast<std::uint8_t>(0xFF << (8 - width % 8));
      } else if (depth == 8) {
        std::memcpy(out, line, width);
      } else {
        for (std::size_t x = 0; x < width; ++x) out[x] = highByte(line + 2 * x);
      }
      break;
    case FrameFormat::Rgb:
      for (std::size_t x = 0; x < width; ++x) {
        out[3 * x + 2] = sampleAt(line, 3 * x, depth);
        out[3 * x + 1] = sampleAt(line, 3 * x + 1, depth);
        out[3 * x] = sampleAt(line, 3 * x + 2, depth);
      }
      break;
    case FrameFormat::Red:
    case FrameFormat::Green:
    case FrameFormat::Blue: {
      const int offset = pixelOffset(frame_.format);
      for (std::size_t x = 0; x < width; ++x) out[3 * x + offset] = sampleAt(line, x, depth);
      break;
    }
  }
  ++frameLines_;
  return true;
}

bool PageAssembler::add(std::span<const std::uint8_t> bytes, std::string* error) {
  if (failed_) return refuse("the page has already failed", error);
  if (!inFrame_) return refuse("image data came outside a frame", error);
  const auto lineBytes = static_cast<std::size_t>(frame_.bytesPerLine);
  while (!bytes.empty()) {
    if (partial_.empty() && bytes.size() >= lineBytes) {
      if (!storeLine(bytes.data(), error)) return false;
      bytes = bytes.subspan(lineBytes);
      continue;
    }
    const std::size_t take = std::min(lineBytes - partial_.size(), bytes.size());
    partial_.insert(partial_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    if (partial_.size() == lineBytes) {
      if (!storeLine(partial_.data(), error)) return false;
      partial_.clear();
    }
  }
  return true;
}

bool PageAssembler::endFrame(std::string* error) {
  if (failed_) return refuse("the page has already failed", error);
  if (!inFrame_) return refuse("a frame ended that never began", error);
  inFrame_ = false;
  partial_.clear();
  if (frameLines_ == 0) return refuse("the scanner ended a frame without sending a line", error);
  pageLines_ = pageLines_ < 0 ? frameLines_ : std::min(pageLines_, frameLines_);
  if (!frame_.lastFrame) {
    if (!singleColour(frame_.format)) return refuse("a grey or colour frame announced more frames", error);
    return true;
  }
  if (singleColour(frame_.format) && channelsSeen_ != 7u) {
    return refuse("the colour page ended without all three of its colours", error);
  }
  complete_ = true;
  return true;
}

std::optional<Dib> PageAssembler::finish(std::string* error) {
  if (failed_ || !complete_) {
    refuse("the page is not complete", error);
    return std::nullopt;
  }
  const int lines = pageLines_;
  if (page_ && page_->height() == lines) {
    std::optional<Dib> page = std::move(page_);
    page_.reset();
    failed_ = true;  // handed over: nothing more comes of this assembler
    return page;
  }
  std::optional<Dib> page = newPage(lines, error);
  if (!page) return std::nullopt;
  // Either lines that never came are cut off, or the rows of a scan whose
  // length was not known move into the page.
  for (int y = 0; y < lines; ++y) std::memcpy(page->row(y), targetRow(y), rowBytes_);
  page_.reset();
  rows_ = {};
  failed_ = true;
  return page;
}

}  // namespace ostrel::sane
