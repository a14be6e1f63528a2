#pragma once
// The framing of every message between the library and the fax server: a type
// byte, a status byte, a big-endian 32-bit length of what follows the length
// field, then the body; at least 512 bytes, short bodies padded with zeros.
// Everything read from the server is treated as hostile: every access is
// bounded by the bytes actually received.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::fax {

inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kMinMessageSize = 512;
// Larger messages are a protocol error in either direction: a fax document or
// a received fax has no business being bigger, and the reader must not grow its
// buffer on the server's word alone.
inline constexpr std::size_t kMaxMessageSize = 64u << 20;

using Bytes = std::vector<std::uint8_t>;

// Builds one outgoing message. Fixed fields are written at their offsets, the
// variable tail is appended; finish() pads to 512 bytes and sets the length.
class MessageWriter {
 public:
  explicit MessageWriter(std::uint8_t type);

  void putByte(std::size_t offset, std::uint8_t value);
  void putU32(std::size_t offset, std::uint32_t value);
  // Copies text into a field of `width` bytes, zero-padded. A value that does
  // not fit is refused (false, nothing written): truncating a fax number or a
  // job identifier would send it somewhere else. A terminated field keeps room
  // for its zero, as the server reads it up to that zero.
  enum class Ending { Terminated, MayFill };
  bool putText(std::size_t offset, std::size_t width, std::string_view text,
               Ending ending = Ending::Terminated);

  void appendU32(std::uint32_t value);
  void append(std::span<const std::uint8_t> bytes);
  void append(std::string_view text);

  Bytes finish() &&;

 private:
  void reach(std::size_t end);
  Bytes bytes_;
  std::size_t end_ = kHeaderSize;
};

// Read access to one received frame.
class MessageView {
 public:
  explicit MessageView(std::span<const std::uint8_t> frame) : frame_(frame) {}

  std::uint8_t type() const { return frame_.empty() ? 0 : frame_[0]; }
  std::uint8_t status() const { return frame_.size() < 2 ? 0 : frame_[1]; }
  std::size_t size() const { return frame_.size(); }

  std::optional<std::uint8_t> byte(std::size_t offset) const;
  std::optional<std::uint32_t> u32(std::size_t offset) const;
  // A fixed-width text field: at most `width` bytes, up to the first zero.
  std::optional<std::string> text(std::size_t offset, std::size_t width) const;
  std::optional<std::span<const std::uint8_t>> bytes(std::size_t offset, std::size_t count) const;

 private:
  std::span<const std::uint8_t> frame_;
};

// Assembles frames from a byte stream delivered in pieces of any size. It asks
// for no more than the current frame needs, so a caller reading a socket never
// takes bytes of the next message, and it keeps only what actually arrived.
class FrameReader {
 public:
  explicit FrameReader(std::size_t maxMessageSize = kMaxMessageSize) : max_(maxMessageSize) {}

  // Bytes still missing from the current frame (0 once complete or failed).
  std::size_t wanted() const;
  // Takes bytes up to the end of the current frame; returns how many were used.
  std::size_t feed(std::span<const std::uint8_t> bytes);

  bool complete() const { return !failed_ && total_ != 0 && buffer_.size() == total_; }
  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }
  // Hands out the complete frame and starts the next one.
  Bytes take();

 private:
  std::size_t max_;
  Bytes buffer_;
  std::size_t total_ = 0;  // known once the header arrived
  bool failed_ = false;
  std::string error_;
};

}  // namespace ostrel::fax
