#pragma once
// The messages of the fax server protocol: what the library sends, byte for
// byte, and what it accepts from the server, parsed with every field bounded by
// the frame that actually arrived.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "faxsvc/fax_message.h"

namespace ostrel::fax {

namespace message_type {
inline constexpr std::uint8_t kLogin = 1;
inline constexpr std::uint8_t kLoginAnswer = 2;
inline constexpr std::uint8_t kIncomingFax = 5;
inline constexpr std::uint8_t kReceiveAck = 6;
inline constexpr std::uint8_t kReportAcked = 32;
inline constexpr std::uint8_t kReportAck = 33;
inline constexpr std::uint8_t kSendRequest = 34;
inline constexpr std::uint8_t kSendAck2 = 35;
inline constexpr std::uint8_t kReportRequest = 36;
inline constexpr std::uint8_t kReportUnacked = 37;
inline constexpr std::uint8_t kConversionRequest = 38;
inline constexpr std::uint8_t kConversionAck = 39;
inline constexpr std::uint8_t kKeepAlive = 126;
}  // namespace message_type

// Why a connection logs in, sent with the login.
enum class Purpose : std::uint8_t {
  Send = 'A',  // also the plain login check
  Receive = 4,
  Report = 'B',
  Credit = 'C',
  OwnNumber = 'D',
};

inline constexpr std::size_t kCredentialMax = 20;

// A parse result: the value, or why there is none.
template <typename T>
struct Parsed {
  std::optional<T> value;
  std::string error;

  static Parsed ok(T v) { return {std::move(v), {}}; }
  static Parsed fail(std::string why) { return {std::nullopt, std::move(why)}; }
  explicit operator bool() const { return value.has_value(); }
};

// ---- sent by the library ----

std::optional<Bytes> buildLogin(std::string_view userId, std::string_view password, Purpose purpose);
Bytes buildEmpty(std::uint8_t type);

struct OutgoingDocument {
  std::string name;  // bare file name
  Bytes content;
};

struct FaxJobFields {
  std::string fod;
  std::string country;
  std::string receivers;  // empty: a conversion request
  std::string sender;
  std::string title;
  bool convert = true;
  bool tifFolderSet = true;
  std::vector<OutgoingDocument> documents;
};

// A send request (type 34) when the job has receivers, else a conversion
// request (type 38). Fails when a field does not fit its width with its
// terminating zero, or the message would exceed the size limit. A title too long for its field is cut (at a
// character boundary): it is only the subject line.
Parsed<Bytes> buildFaxJob(const FaxJobFields& job);

Parsed<Bytes> buildReportRequest(std::string_view sid, std::string_view receivers, std::string_view country);

// ---- accepted from the server ----

struct LoginAnswer {
  std::uint8_t status = 0;
  std::int32_t credit = 0;
  std::string ownNumber;
};
std::optional<LoginAnswer> parseLoginAnswer(const MessageView& message);

// Files a server answer may return. Far above the pages of any fax, and low
// enough that what is kept for them stays small whatever the server announces.
inline constexpr std::uint32_t kMaxReturnedFiles = 10000;

// Both parts lie in the received frame. The name is as sent by the server:
// check it before using it as a path; past the end of the list it is empty.
struct ReturnedFile {
  std::string_view name;
  std::span<const std::uint8_t> content;
};

// Job states written to a result file.
inline constexpr int kStateConverted = 2;
inline constexpr int kStateRefused = 5;
inline constexpr int kStateFinished = 10;
inline constexpr int kStateResultI = 49;

struct SendAck {
  std::string fod;
  int state = 0;
  std::uint32_t pages = 0;
  std::vector<ReturnedFile> files;  // only for state 2

  bool isFinalAnswer() const { return state != kStateConverted; }
};
Parsed<SendAck> parseSendAck(const MessageView& message);

struct ConversionAck {
  std::string fod;
  bool success = false;
  std::uint32_t pages = 0;
  std::vector<ReturnedFile> files;
};
Parsed<ConversionAck> parseConversionAck(const MessageView& message);

struct IncomingFax {
  std::string sender;
  std::string receiver;
  std::string fileName;
  std::uint32_t pages = 0;
  std::string date;
  std::span<const std::uint8_t> content;
};
Parsed<IncomingFax> parseIncomingFax(const MessageView& message);

struct FaxReport {
  bool wantsAck = false;  // type 32
  std::uint32_t sentPages = 0;
  std::string startTime;
  std::string endTime;
  std::string resultCode;
  std::string sid;
  std::string receivers;
};
Parsed<FaxReport> parseReport(const MessageView& message);

}  // namespace ostrel::fax
