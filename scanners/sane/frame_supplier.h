#pragma once
// What a page is read from: a scanner that starts frames and hands out their
// bytes. SaneDevice is the real one; the page reader needs nothing more, so it
// can be driven by any supplier.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ostrel::sane {

// The scanner's answers, in our own words (the library's codes stay inside
// sane_device.cpp).
enum class DeviceStatus {
  Good,
  EndOfFrame,    // the frame's last byte has been read
  FeederEmpty,   // no sheet left to feed
  Jammed,
  CoverOpen,
  Cancelled,
  Busy,
  NoMemory,
  AccessDenied,
  IoError,
  Invalid,
  Unsupported,
};

std::string statusText(DeviceStatus status);

enum class FrameFormat { Grey, Rgb, Red, Green, Blue };

// One frame as the scanner announces it. lines is -1 when the scanner does not
// know the length beforehand (a hand scanner, a feeder measuring the sheet).
struct FrameParameters {
  FrameFormat format = FrameFormat::Grey;
  bool lastFrame = true;
  int bytesPerLine = 0;
  int pixelsPerLine = 0;
  int lines = 0;
  int depth = 8;
};

class FrameSupplier {
 public:
  virtual ~FrameSupplier() = default;
  // Starts the next frame: the first frame of a page feeds a sheet.
  virtual DeviceStatus start() = 0;
  virtual DeviceStatus parameters(FrameParameters& parameters) = 0;
  // Up to into.size() bytes of the frame; EndOfFrame once it is complete.
  virtual DeviceStatus read(std::span<std::uint8_t> into, std::size_t& length) = 0;
  // Ends the batch (or the page in hand).
  virtual void cancel() = 0;
};

}  // namespace ostrel::sane
