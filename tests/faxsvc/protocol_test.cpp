#include "faxsvc/protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace ostrel::fax {
namespace {

std::uint32_t u32At(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

std::string textAt(const Bytes& b, std::size_t at, std::size_t width) {
  std::string text(reinterpret_cast<const char*>(&b[at]), width);
  return text.substr(0, text.find('\0'));
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, 0);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

void putText(Bytes& b, std::size_t at, const std::string& text) { std::memcpy(&b[at], text.data(), text.size()); }

Bytes serverMessage(std::uint8_t type, std::uint8_t status = 0) {
  Bytes b(512, 0);
  b[0] = type;
  b[1] = status;
  put32(b, 2, 506);
  return b;
}

FaxJobFields twoDocumentJob() {
  FaxJobFields job;
  job.fod = "20240506101500";
  job.country = "82";
  job.receivers = "0212345678";
  job.sender = "020000000";
  job.title = "Quarterly report";
  job.documents = {{"a.pdf", Bytes(1000, 'a')}, {"b.tif", Bytes(3000, 'b')}};
  return job;
}

TEST(FaxJobMessage, SendRequestHasTheExactLayoutAndLength) {
  const auto built = buildFaxJob(twoDocumentJob());
  ASSERT_TRUE(built) << built.error;
  const Bytes& m = *built.value;
  ASSERT_EQ(m.size(), 4214u);  // 195 + 11 + 8 + 4000
  EXPECT_EQ(m[0], 34);
  EXPECT_EQ(m[1], 0);
  EXPECT_EQ(u32At(m, 2), 4208u);
  EXPECT_EQ(textAt(m, 6, 30), "20240506101500");
  EXPECT_EQ(textAt(m, 36, 5), "82");
  EXPECT_EQ(textAt(m, 41, 20), "0212345678");
  EXPECT_EQ(textAt(m, 61, 20), "020000000");
  EXPECT_EQ(textAt(m, 81, 100), "Quarterly report");
  EXPECT_EQ(m[181], 1);
  EXPECT_EQ(m[182], 1);
  EXPECT_EQ(u32At(m, 183), 0u);
  EXPECT_EQ(u32At(m, 187), 2u);
  EXPECT_EQ(u32At(m, 191), 11u);
  EXPECT_EQ(std::string(m.begin() + 195, m.begin() + 206), "a.pdf,b.tif");
  EXPECT_EQ(u32At(m, 206), 1000u);
  EXPECT_EQ(m[210], 'a');
  EXPECT_EQ(u32At(m, 1210), 3000u);
  EXPECT_EQ(m[1214], 'b');
  EXPECT_EQ(m.back(), 'b');
}

TEST(FaxJobMessage, ConversionRequestIsPaddedToTheMinimum) {
  FaxJobFields job;
  job.fod = "F1";
  job.documents = {{"c.pdf", Bytes(20, 'c')}};
  const auto built = buildFaxJob(job);
  ASSERT_TRUE(built);
  const Bytes& m = *built.value;
  ASSERT_EQ(m.size(), 512u);
  EXPECT_EQ(m[0], 38);
  EXPECT_EQ(u32At(m, 2), 506u);
  EXPECT_EQ(textAt(m, 6, 30), "F1");
  EXPECT_EQ(u32At(m, 36), 1u);
  EXPECT_EQ(u32At(m, 40), 5u);
  EXPECT_EQ(std::string(m.begin() + 44, m.begin() + 49), "c.pdf");
  EXPECT_EQ(u32At(m, 49), 20u);
  EXPECT_EQ(m[53], 'c');
  EXPECT_EQ(m[73], 0);  // padding
}

TEST(FaxJobMessage, FieldsThatDoNotFitRefuseTheJobButALongTitleIsCut) {
  auto job = twoDocumentJob();
  // Each field keeps room for the zero that ends it: 19 receiver characters
  // fit, 20 would run into the sender's number.
  job.receivers = "0212345678,02123456";
  const auto fits = buildFaxJob(job);
  ASSERT_TRUE(fits);
  EXPECT_EQ((*fits.value)[60], 0);
  job.receivers += "9";
  EXPECT_FALSE(buildFaxJob(job));
  for (const auto& [fod, country, sender] : {std::tuple{std::string(30, '1'), "82", "020000000"},
                                             std::tuple{std::string("F"), "12345", "020000000"},
                                             std::tuple{std::string("F"), "82", "01234567890123456789"}}) {
    job = twoDocumentJob();
    job.fod = fod;
    job.country = country;
    job.sender = sender;
    EXPECT_FALSE(buildFaxJob(job)) << fod << " " << country << " " << sender;
  }
  job = twoDocumentJob();
  job.fod = std::string(29, '1');
  job.country = "1234";
  job.sender = std::string(19, '5');
  EXPECT_TRUE(buildFaxJob(job));
  job = twoDocumentJob();
  job.title = std::string(98, 't') + "\xEC\xA0\x9C";  // a 3-byte character across the end
  const auto built = buildFaxJob(job);
  ASSERT_TRUE(built);
  EXPECT_EQ(textAt(*built.value, 81, 100), std::string(98, 't'));
  EXPECT_EQ((*built.value)[180], 0);
  EXPECT_EQ((*built.value)[181], 1);  // the next field is intact
  job.title = std::string(150, 'x');
  EXPECT_EQ(textAt(*buildFaxJob(job).value, 81, 100), std::string(99, 'x'));
}

TEST(LoginMessage, CarriesCredentialsAndPurpose) {
  const auto m = buildLogin("user20bytesxxxxxxxxx", "secret", Purpose::Report);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->size(), 512u);
  EXPECT_EQ((*m)[0], 1);
  EXPECT_EQ(std::string(m->begin() + 6, m->begin() + 26), "user20bytesxxxxxxxxx");
  EXPECT_EQ(textAt(*m, 26, 20), "secret");
  EXPECT_EQ((*m)[46], 'B');
  EXPECT_FALSE(buildLogin(std::string(21, 'u'), "p", Purpose::Send));
}

TEST(ReportRequestMessage, Layout) {
  const auto m = buildReportRequest("20240506101500", "0212345678", "82");
  ASSERT_TRUE(m);
  EXPECT_EQ((*m.value)[0], 36);
  EXPECT_EQ(textAt(*m.value, 6, 30), "20240506101500");
  EXPECT_EQ(textAt(*m.value, 36, 20), "0212345678");
  EXPECT_EQ(textAt(*m.value, 56, 20), "82");
  EXPECT_FALSE(buildReportRequest(std::string(30, '1'), "0212345678", "82"));
  EXPECT_FALSE(buildReportRequest("F", std::string(20, '1'), "82"));
  EXPECT_EQ(buildReportRequest("F", "1", std::string(455, '8')).value->size(), 512u);
  EXPECT_FALSE(buildReportRequest("F", "1", std::string(456, '8')));
}

TEST(SendAck, ResultCharacterAndStatusGiveTheJobState) {
  struct Case {
    std::uint8_t result, status;
    int state;
  } cases[] = {{'I', 0, 49}, {'I', 1, 49}, {'X', 0, 5}, {0, 1, 10}, {0, 0, 2}, {0, 7, 2}};
  for (const auto& c : cases) {
    Bytes m = serverMessage(35, c.status);
    m[6] = c.result;
    putText(m, 7, "FOD1");
    const auto ack = parseSendAck(MessageView(m));
    ASSERT_TRUE(ack) << ack.error;
    EXPECT_EQ(ack.value->state, c.state);
    EXPECT_EQ(ack.value->fod, "FOD1");
    EXPECT_EQ(ack.value->isFinalAnswer(), c.state != 2);
  }
}

Bytes convertedAck(std::uint32_t count, const std::string& names, const std::vector<Bytes>& files) {
  Bytes m = serverMessage(35);
  putText(m, 7, "FOD2");
  put32(m, 57, 3);
  put32(m, 61, count);
  put32(m, 65, static_cast<std::uint32_t>(names.size()));
  m.resize(69);
  m.insert(m.end(), names.begin(), names.end());
  for (const auto& f : files) {
    put32(m, m.size(), static_cast<std::uint32_t>(f.size()));
    m.insert(m.end(), f.begin(), f.end());
  }
  if (m.size() < 512) m.resize(512, 0);
  put32(m, 2, static_cast<std::uint32_t>(m.size() - 6));
  return m;
}

TEST(SendAck, ReturnedFilesAreTakenOnlyWhenTheyAreReallyThere) {
  const Bytes good = convertedAck(2, "p1.tif,p2.tif", {Bytes(700, 1), Bytes(5, 2)});
  const auto ack = parseSendAck(MessageView(good));
  ASSERT_TRUE(ack) << ack.error;
  EXPECT_EQ(ack.value->pages, 3u);
  ASSERT_EQ(ack.value->files.size(), 2u);
  EXPECT_EQ(ack.value->files[0].name, "p1.tif");
  EXPECT_EQ(ack.value->files[0].content.size(), 700u);
  EXPECT_EQ(ack.value->files[1].name, "p2.tif");

  // A count far beyond what arrived, and a size that runs past the frame.
  EXPECT_FALSE(parseSendAck(MessageView(convertedAck(0xFFFFFFFF, "x", {Bytes(3, 0)}))));
  Bytes lying = convertedAck(1, "x.tif", {Bytes(10, 0)});
  put32(lying, 69 + 5, 0xFFFFFFF0);
  EXPECT_FALSE(parseSendAck(MessageView(lying)));
  Bytes longList = convertedAck(0, "", {});
  put32(longList, 65, 100000);
  EXPECT_FALSE(parseSendAck(MessageView(longList)));
}

TEST(SendAck, FileCountIsCappedAndNamesPastTheListAreEmpty) {
  // Empty files, so that only the cap can refuse the larger count.
  std::string names = "p.tif";
  for (std::uint32_t i = 1; i < kMaxReturnedFiles; ++i) names += ",p.tif";
  // The parsed names are views into the message, which must outlive them.
  const Bytes atCapMessage = convertedAck(kMaxReturnedFiles, names, std::vector<Bytes>(kMaxReturnedFiles));
  const auto atCap = parseSendAck(MessageView(atCapMessage));
  ASSERT_TRUE(atCap) << atCap.error;
  EXPECT_EQ(atCap.value->files.size(), kMaxReturnedFiles);
  EXPECT_EQ(atCap.value->files.back().name, "p.tif");
  EXPECT_FALSE(parseSendAck(MessageView(
      convertedAck(kMaxReturnedFiles + 1, names + ",p.tif", std::vector<Bytes>(kMaxReturnedFiles + 1)))));

  const Bytes shortListMessage = convertedAck(3, "a.tif,,", {Bytes(1, 1), Bytes(1, 2), Bytes(1, 3)});
  const auto shortList = parseSendAck(MessageView(shortListMessage));
  ASSERT_TRUE(shortList) << shortList.error;
  EXPECT_EQ(shortList.value->files[0].name, "a.tif");
  EXPECT_EQ(shortList.value->files[1].name, "");
  EXPECT_EQ(shortList.value->files[2].name, "");
  const Bytes pastEndMessage = convertedAck(2, "only.tif", {Bytes(1, 1), Bytes(1, 2)});
  const auto pastEnd = parseSendAck(MessageView(pastEndMessage));
  ASSERT_TRUE(pastEnd);
  EXPECT_EQ(pastEnd.value->files[1].name, "");
}

TEST(IncomingFaxMessage, FileSizeMustFitTheMessage) {
  Bytes m = serverMessage(5);
  putText(m, 6, std::string(20, '1'));  // no terminator: bounded by the field
  putText(m, 26, "0298765432");
  putText(m, 46, "fax.tif");
  put32(m, 302, 2);
  putText(m, 306, "2024-05-06 11:00:00");
  put32(m, 325, 100);
  auto fax = parseIncomingFax(MessageView(m));
  ASSERT_TRUE(fax) << fax.error;
  EXPECT_EQ(fax.value->sender, std::string(20, '1'));
  EXPECT_EQ(fax.value->receiver, "0298765432");
  EXPECT_EQ(fax.value->date, "2024-05-06 11:00:00");
  EXPECT_EQ(fax.value->content.size(), 100u);
  put32(m, 325, 184);  // 329 + 184 = 513: one byte past the frame
  EXPECT_FALSE(parseIncomingFax(MessageView(m)));
}

TEST(ReportMessage, FieldsAreBoundedAndTypeDecidesTheAcknowledgement) {
  Bytes m = serverMessage(37);
  put32(m, 6, 4);
  putText(m, 10, "2024-05-06 10:00:00");
  putText(m, 29, "2024-05-06 10:01:00");
  putText(m, 48, "0001234");  // runs into the SID: the code is 3 characters
  putText(m, 51, "20240506101500");
  const auto report = parseReport(MessageView(m));
  ASSERT_TRUE(report);
  EXPECT_FALSE(report.value->wantsAck);
  EXPECT_EQ(report.value->sentPages, 4u);
  EXPECT_EQ(report.value->resultCode, "000");
  EXPECT_EQ(report.value->sid, "20240506101500");
  m[0] = 32;
  EXPECT_TRUE(parseReport(MessageView(m)).value->wantsAck);
}

}  // namespace
}  // namespace ostrel::fax
