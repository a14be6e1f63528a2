// Feeds arbitrary bytes to the frame reader in pieces whose sizes the input
// chooses, and every frame that comes out to each parser of server messages.
// Nothing may read outside a frame, and a parsed file and its name must lie
// inside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "faxsvc/fax_message.h"
#include "faxsvc/protocol.h"

namespace {

using namespace ostrel::fax;

void checkInside(std::span<const std::uint8_t> part, const Bytes& frame) {
  if (part.empty()) return;
  if (part.data() < frame.data() || part.data() + part.size() > frame.data() + frame.size()) std::abort();
}

void checkInside(const std::vector<ReturnedFile>& files, const Bytes& frame) {
  if (files.size() > kMaxReturnedFiles) std::abort();
  for (const auto& file : files) {
    checkInside(file.content, frame);
    checkInside(std::span(reinterpret_cast<const std::uint8_t*>(file.name.data()), file.name.size()), frame);
  }
}

void parseEverything(const Bytes& frame) {
  const MessageView view(frame);
  (void)parseLoginAnswer(view);
  if (const auto ack = parseSendAck(view)) checkInside(ack.value->files, frame);
  if (const auto ack = parseConversionAck(view)) checkInside(ack.value->files, frame);
  if (const auto fax = parseIncomingFax(view)) checkInside(fax.value->content, frame);
  (void)parseReport(view);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte sets the piece size, so splits of every kind are explored.
  const std::size_t piece = std::size_t{data[0]} * 7 + 1;
  const std::span<const std::uint8_t> stream(data + 1, size - 1);
  // A small limit, so that over-long lengths are reached without huge inputs.
  FrameReader reader(4096);
  std::size_t at = 0;
  while (at < stream.size() && !reader.failed()) {
    const std::size_t used = reader.feed(stream.subspan(at, std::min(piece, stream.size() - at)));
    at += used;
    if (reader.complete()) {
      const Bytes frame = reader.take();
      if (frame.size() < kMinMessageSize || frame.size() > 4096) std::abort();
      parseEverything(frame);
    } else if (used == 0) {
      std::abort();  // neither done nor taking bytes: a stuck reader
    }
  }
  // The stream's remainder parsed as if it were one frame, to reach the parsers
  // with frames of every size.
  parseEverything(Bytes(stream.begin(), stream.end()));
  return 0;
}
