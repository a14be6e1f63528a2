#include "faxsvc/fax_message.h"

#include <gtest/gtest.h>

#include <numeric>

namespace ostrel::fax {
namespace {

Bytes frameOf(std::uint8_t type, std::size_t bodyBytes, std::uint8_t fill) {
  MessageWriter writer(type);
  writer.append(Bytes(bodyBytes, fill));
  return std::move(writer).finish();
}

std::vector<Bytes> readAll(const Bytes& stream, std::span<const std::size_t> cuts, FrameReader& reader) {
  std::vector<Bytes> frames;
  std::size_t at = 0;
  auto feedUpTo = [&](std::size_t end) {
    while (at < end) {
      const std::size_t used = reader.feed(std::span(stream).subspan(at, end - at));
      at += used;
      if (reader.complete()) frames.push_back(reader.take());
      if (used == 0) break;
    }
  };
  for (const std::size_t cut : cuts) feedUpTo(cut);
  feedUpTo(stream.size());
  return frames;
}

TEST(FrameReader, AssemblesFramesSplitAtEveryByteBoundary) {
  const Bytes shortFrame = frameOf(2, 10, 0xAA);
  const Bytes longFrame = frameOf(35, 1500, 0xBB);  // over 512: the length decides
  Bytes stream = shortFrame;
  stream.insert(stream.end(), longFrame.begin(), longFrame.end());
  stream.insert(stream.end(), shortFrame.begin(), shortFrame.end());

  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    FrameReader reader;
    const std::size_t cuts[] = {cut};
    const auto frames = readAll(stream, cuts, reader);
    ASSERT_EQ(frames.size(), 3u) << "cut at " << cut;
    EXPECT_EQ(frames[0], shortFrame);
    EXPECT_EQ(frames[1], longFrame);
    EXPECT_EQ(frames[2], shortFrame);
  }
}

TEST(FrameReader, OneByteAtATimeNeverAsksPastTheFrame) {
  const Bytes frame = frameOf(5, 900, 0x11);
  FrameReader reader;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    ASSERT_EQ(reader.wanted(), (i < 512 ? 512 : frame.size()) - i);
    ASSERT_EQ(reader.feed(std::span(frame).subspan(i, 1)), 1u);
  }
  ASSERT_TRUE(reader.complete());
  EXPECT_EQ(reader.wanted(), 0u);
  EXPECT_EQ(reader.feed(std::span(frame).first(1)), 0u);  // the next frame waits for take()
  EXPECT_EQ(reader.take(), frame);
}

TEST(FrameReader, ALengthBelowTheMinimumStillReadsOneFullFrame) {
  Bytes frame(512, 0);
  frame[0] = 2;
  frame[5] = 3;  // claims a 9-byte message
  FrameReader reader;
  EXPECT_EQ(reader.feed(frame), 512u);
  ASSERT_TRUE(reader.complete());
  EXPECT_EQ(reader.take().size(), 512u);
}

Bytes headerWithLength(std::uint32_t length) {
  Bytes header(512, 0);
  header[2] = static_cast<std::uint8_t>(length >> 24);
  header[3] = static_cast<std::uint8_t>(length >> 16);
  header[4] = static_cast<std::uint8_t>(length >> 8);
  header[5] = static_cast<std::uint8_t>(length);
  return header;
}

TEST(FrameReader, RefusesLengthsOverTheLimitIncludingTheLargestField) {
  for (const std::uint32_t length : {std::uint32_t{64u << 20} - 5, std::uint32_t{0xFFFFFFFF}}) {
    FrameReader reader;
    reader.feed(headerWithLength(length));
    EXPECT_TRUE(reader.failed()) << length;
    EXPECT_FALSE(reader.complete());
    EXPECT_EQ(reader.wanted(), 0u);
    EXPECT_NE(reader.error().find("over the limit"), std::string::npos);
  }
  FrameReader reader;
  reader.feed(headerWithLength((64u << 20) - 6));
  EXPECT_FALSE(reader.failed());
  EXPECT_EQ(reader.wanted(), (64u << 20) - 512);
}

TEST(MessageView, EveryReadIsBoundedByTheFrame) {
  Bytes frame(512, 'x');  // no zero anywhere
  const MessageView view(frame);
  EXPECT_EQ(view.text(500, 12), std::string(12, 'x'));
  EXPECT_FALSE(view.text(501, 12));
  EXPECT_FALSE(view.u32(509));
  EXPECT_TRUE(view.u32(508));
  EXPECT_FALSE(view.bytes(513, 0));
  EXPECT_FALSE(view.bytes(8, SIZE_MAX));  // no wrap-around in the bound
  EXPECT_FALSE(view.byte(512));
  frame[104] = 0;
  EXPECT_EQ(MessageView(frame).text(100, 20), "xxxx");
}

TEST(MessageWriter, FieldsAreRefusedRatherThanOverrun) {
  MessageWriter writer(1);
  EXPECT_TRUE(writer.putText(6, 20, std::string(20, 'u'), MessageWriter::Ending::MayFill));
  EXPECT_FALSE(writer.putText(26, 20, std::string(21, 'p'), MessageWriter::Ending::MayFill));
  EXPECT_FALSE(writer.putText(26, 20, std::string(20, 'p')));  // no room for the zero
  EXPECT_TRUE(writer.putText(46, 20, std::string(19, 'q')));
  const Bytes bytes = std::move(writer).finish();
  EXPECT_EQ(bytes.size(), 512u);
  EXPECT_EQ(bytes[25], 'u');  // filled, no terminator
  EXPECT_EQ(bytes[26], 0);  // the refused values left nothing behind
  EXPECT_EQ(bytes[45], 0);
  EXPECT_EQ(bytes[5], 0xFA);  // 506
}

}  // namespace
}  // namespace ostrel::fax
