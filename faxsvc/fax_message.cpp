#include "faxsvc/fax_message.h"

#include <algorithm>
#include <cstring>

#include "faxsvc/format.h"

namespace ostrel::fax {

namespace {

void storeU32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value >> 24);
  at[1] = static_cast<std::uint8_t>(value >> 16);
  at[2] = static_cast<std::uint8_t>(value >> 8);
  at[3] = static_cast<std::uint8_t>(value);
}

std::uint32_t loadU32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) << 24 | static_cast<std::uint32_t>(at[1]) << 16 |
         static_cast<std::uint32_t>(at[2]) << 8 | static_cast<std::uint32_t>(at[3]);
}

}  // namespace

MessageWriter::MessageWriter(std::uint8_t type) : bytes_(kMinMessageSize, 0) { bytes_[0] = type; }

void MessageWriter::reach(std::size_t end) {
  if (bytes_.size() < end) bytes_.resize(std::max(end, bytes_.size() * 2), 0);
  end_ = std::max(end_, end);
}

void MessageWriter::putByte(std::size_t offset, std::uint8_t value) {
  reach(offset + 1);
  bytes_[offset] = value;
}

void MessageWriter::putU32(std::size_t offset, std::uint32_t value) {
  reach(offset + 4);
  storeU32(&bytes_[offset], value);
}

bool MessageWriter::putText(std::size_t offset, std::size_t width, std::string_view text, Ending ending) {
  if (text.size() > width || (ending == Ending::Terminated && text.size() == width)) return false;
  reach(offset + width);
  std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), width, 0);
  std::memcpy(&bytes_[offset], text.data(), text.size());
  return true;
}

void MessageWriter::appendU32(std::uint32_t value) { putU32(end_, value); }

void MessageWriter::append(std::span<const std::uint8_t> bytes) {
  const std::size_t at = end_;
  reach(at + bytes.size());
  if (!bytes.empty()) std::memcpy(&bytes_[at], bytes.data(), bytes.size());
}

void MessageWriter::append(std::string_view text) {
  append(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

Bytes MessageWriter::finish() && {
  bytes_.resize(std::max(end_, kMinMessageSize));
  storeU32(&bytes_[2], static_cast<std::uint32_t>(bytes_.size() - kHeaderSize));
  return std::move(bytes_);
}

std::optional<std::uint8_t> MessageView::byte(std::size_t offset) const {
  if (offset >= frame_.size()) return std::nullopt;
  return frame_[offset];
}

std::optional<std::uint32_t> MessageView::u32(std::size_t offset) const {
  const auto field = bytes(offset, 4);
  if (!field) return std::nullopt;
  return loadU32(field->data());
}

std::optional<std::string> MessageView::text(std::size_t offset, std::size_t width) const {
  const auto field = bytes(offset, width);
  if (!field) return std::nullopt;
  const auto zero = std::find(field->begin(), field->end(), std::uint8_t{0});
  return std::string(field->begin(), zero);
}

std::optional<std::span<const std::uint8_t>> MessageView::bytes(std::size_t offset,
                                                                std::size_t count) const {
  if (offset > frame_.size() || count > frame_.size() - offset) return std::nullopt;
  return frame_.subspan(offset, count);
}

std::size_t FrameReader::wanted() const {
  if (failed_) return 0;
  const std::size_t target = total_ != 0 ? total_ : kMinMessageSize;
  return target - buffer_.size();
}

std::size_t FrameReader::feed(std::span<const std::uint8_t> bytes) {
  std::size_t used = 0;
  while (used < bytes.size() && wanted() > 0) {
    const std::size_t take = std::min(wanted(), bytes.size() - used);
    buffer_.insert(buffer_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(used),
                   bytes.begin() + static_cast<std::ptrdiff_t>(used + take));
    used += take;
    if (total_ == 0 && buffer_.size() == kMinMessageSize) {
      // The length is known only now; 64-bit arithmetic, so no length overflows.
      const std::uint64_t total = std::uint64_t{loadU32(&buffer_[2])} + kHeaderSize;
      if (total > max_) {
        failed_ = true;
        error_ = format("A message of %llu bytes is over the limit of %zu bytes.",
                        static_cast<unsigned long long>(total), max_);
        return used;
      }
      total_ = std::max<std::size_t>(static_cast<std::size_t>(total), kMinMessageSize);
    }
  }
  return used;
}

Bytes FrameReader::take() {
  Bytes frame;
  frame.swap(buffer_);
  total_ = 0;
  return frame;
}

}  // namespace ostrel::fax
