#include "faxsvc/protocol.h"

#include "faxsvc/format.h"

namespace ostrel::fax {

namespace {

// Send request (34) and conversion request (38).
constexpr std::size_t kFodAt = 6, kFodWidth = 30;
constexpr std::size_t kCountryAt = 36, kCountryWidth = 5;
constexpr std::size_t kReceiversAt = 41, kReceiversWidth = 20;
constexpr std::size_t kSenderAt = 61, kSenderWidth = 20;
constexpr std::size_t kTitleAt = 81, kTitleWidth = 100;
constexpr std::size_t kConvertAt = 181, kConvertTifAt = 182, kReservedAt = 183;
constexpr std::size_t kSendListAt = 187, kConversionListAt = 36;

// Cuts text to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string_view cutToBytes(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes) return text;
  std::size_t end = bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// M files announced at `countAt`, a K-byte name list at `countAt + 8`, then M
// times a size and the bytes. Nothing is reserved or split on the server's
// word: a count the rest of the message cannot hold (four bytes of size per
// file at least) is refused before anything is made for it, names are views
// into the frame, and names past the M-th are never looked at.
Parsed<std::vector<ReturnedFile>> parseReturnedFiles(const MessageView& message, std::size_t countAt) {
  using Result = Parsed<std::vector<ReturnedFile>>;
  const auto count = message.u32(countAt);
  const auto listLength = message.u32(countAt + 4);
  if (!count || !listLength) return Result::fail("file count or name list missing");
  const std::size_t listAt = countAt + 8;
  const auto list = message.bytes(listAt, *listLength);
  if (!list) return Result::fail("name list longer than the message");
  std::size_t at = listAt + *listLength;
  if (*count > kMaxReturnedFiles || *count > (message.size() - at) / 4) {
    return Result::fail(format("%u files announced, more than the message can hold", *count));
  }
  std::string_view names(reinterpret_cast<const char*>(list->data()), list->size());
  std::vector<ReturnedFile> files;
  files.reserve(*count);
  for (std::uint32_t i = 0; i < *count; ++i) {
    const std::size_t comma = names.find(',');
    const std::string_view name = names.substr(0, comma);
    names.remove_prefix(comma == std::string_view::npos ? names.size() : comma + 1);
    const auto size = message.u32(at);
    if (!size) return Result::fail(format("file %u of %u missing", i + 1, *count));
    const auto content = message.bytes(at + 4, *size);
    if (!content) return Result::fail(format("file %u of %u longer than the message", i + 1, *count));
    files.push_back({name, *content});
    at += 4 + *size;
  }
  return Result::ok(std::move(files));
}

}  // namespace

std::optional<Bytes> buildLogin(std::string_view userId, std::string_view password, Purpose purpose) {
  MessageWriter writer(message_type::kLogin);
  // A 20-byte user ID or password fills its field: the next field ends it.
  constexpr auto fill = MessageWriter::Ending::MayFill;
  if (!writer.putText(6, kCredentialMax, userId, fill) || !writer.putText(26, kCredentialMax, password, fill)) {
    return std::nullopt;
  }
  writer.putByte(46, static_cast<std::uint8_t>(purpose));
  return std::move(writer).finish();
}

Bytes buildEmpty(std::uint8_t type) { return MessageWriter(type).finish(); }

Parsed<Bytes> buildFaxJob(const FaxJobFields& job) {
  using Result = Parsed<Bytes>;
  const bool send = !job.receivers.empty();
  MessageWriter writer(send ? message_type::kSendRequest : message_type::kConversionRequest);
  if (!writer.putText(kFodAt, kFodWidth, job.fod)) return Result::fail("FOD is too long");
  if (send) {
    if (!writer.putText(kCountryAt, kCountryWidth, job.country)) return Result::fail("Country is too long");
    if (!writer.putText(kReceiversAt, kReceiversWidth, job.receivers)) {
      return Result::fail("ReceiverNo is too long");
    }
    if (!writer.putText(kSenderAt, kSenderWidth, job.sender)) return Result::fail("SenderNo is too long");
    writer.putText(kTitleAt, kTitleWidth, cutToBytes(job.title, kTitleWidth - 1));
    writer.putByte(kConvertAt, job.convert ? 1 : 0);
    writer.putByte(kConvertTifAt, job.convert && job.tifFolderSet ? 1 : 0);
    writer.putU32(kReservedAt, 0);
  }
  std::string names;
  std::size_t total = (send ? kSendListAt : kConversionListAt) + 8;
  for (const auto& document : job.documents) {
    if (!names.empty()) names += ',';
    names += document.name;
    total += 4 + document.content.size();
  }
  total += names.size();
  if (total > kMaxMessageSize) {
    return Result::fail(format("the documents make a message of %zu bytes, over the limit", total));
  }
  writer.putU32(send ? kSendListAt : kConversionListAt, static_cast<std::uint32_t>(job.documents.size()));
  writer.appendU32(static_cast<std::uint32_t>(names.size()));
  writer.append(names);
  for (const auto& document : job.documents) {
    writer.appendU32(static_cast<std::uint32_t>(document.content.size()));
    writer.append(document.content);
  }
  return Result::ok(std::move(writer).finish());
}

Parsed<Bytes> buildReportRequest(std::string_view sid, std::string_view receivers, std::string_view country) {
  using Result = Parsed<Bytes>;
  MessageWriter writer(message_type::kReportRequest);
  if (!writer.putText(6, 30, sid)) return Result::fail("SID is too long");
  if (!writer.putText(36, 20, receivers)) return Result::fail("receiver numbers are too long");
  // The country code ends the body, zero-terminated within the 512 bytes.
  if (!writer.putText(56, kMinMessageSize - 56, country)) return Result::fail("country code is too long");
  return Result::ok(std::move(writer).finish());
}

std::optional<LoginAnswer> parseLoginAnswer(const MessageView& message) {
  if (message.type() != message_type::kLoginAnswer) return std::nullopt;
  LoginAnswer answer;
  answer.status = message.status();
  answer.credit = static_cast<std::int32_t>(message.u32(7).value_or(0));
  answer.ownNumber = message.text(7, 20).value_or("");
  return answer;
}

Parsed<SendAck> parseSendAck(const MessageView& message) {
  using Result = Parsed<SendAck>;
  const auto result = message.byte(6);
  const auto fod = message.text(7, 30);
  if (!result || !fod) return Result::fail("message too short");
  SendAck ack;
  ack.fod = *fod;
  if (*result == 'I') {
    ack.state = kStateResultI;
  } else if (*result != 0) {
    ack.state = kStateRefused;
  } else if (message.status() == 1) {
    ack.state = kStateFinished;
  } else {
    ack.state = kStateConverted;
  }
  if (ack.state == kStateConverted) {
    const auto pages = message.u32(57);
    if (!pages) return Result::fail("page count missing");
    ack.pages = *pages;
    auto files = parseReturnedFiles(message, 61);
    if (!files) return Result::fail(files.error);
    ack.files = std::move(*files.value);
  }
  return Result::ok(std::move(ack));
}

Parsed<ConversionAck> parseConversionAck(const MessageView& message) {
  using Result = Parsed<ConversionAck>;
  const auto result = message.byte(6);
  const auto fod = message.text(7, 30);
  if (!result || !fod) return Result::fail("message too short");
  ConversionAck ack;
  ack.fod = *fod;
  ack.success = *result == 0;
  if (ack.success) {
    const auto pages = message.u32(37);
    if (!pages) return Result::fail("page count missing");
    ack.pages = *pages;
    auto files = parseReturnedFiles(message, 41);
    if (!files) return Result::fail(files.error);
    ack.files = std::move(*files.value);
  }
  return Result::ok(std::move(ack));
}

Parsed<IncomingFax> parseIncomingFax(const MessageView& message) {
  using Result = Parsed<IncomingFax>;
  const auto sender = message.text(6, 20);
  const auto receiver = message.text(26, 20);
  const auto name = message.text(46, 256);
  const auto pages = message.u32(302);
  const auto date = message.text(306, 19);
  const auto size = message.u32(325);
  if (!sender || !receiver || !name || !pages || !date || !size) return Result::fail("message too short");
  const auto content = message.bytes(329, *size);
  if (!content) return Result::fail(format("file size %u is longer than the message", *size));
  return Result::ok({*sender, *receiver, *name, *pages, *date, *content});
}

Parsed<FaxReport> parseReport(const MessageView& message) {
  using Result = Parsed<FaxReport>;
  const auto pages = message.u32(6);
  const auto start = message.text(10, 19);
  const auto end = message.text(29, 19);
  const auto code = message.text(48, 3);
  const auto sid = message.text(51, 30);
  const auto receivers = message.text(81, 20);
  if (!pages || !start || !end || !code || !sid || !receivers) return Result::fail("message too short");
  return Result::ok({message.type() == message_type::kReportAcked, *pages, *start, *end, *code, *sid,
                     *receivers});
}

}  // namespace ostrel::fax
