// The running service against the fake server: requests through the spool to
// the server and back into result files, reports, incoming faxes, idle
// connections and refused logins.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "faxsvc/connection_loop.h"
#include "platform/ini_file.h"
#include "tests/faxsvc/fax_fixture.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::writeFile;
using platform::GetPrivateProfileString;
namespace fs = std::filesystem;

std::string today() {
  char day[16];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(day, sizeof day, "%Y%m%d", &local);
  return day;
}

std::uint32_t u32At(const fakefax::Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 | b[at + 3];
}

class FaxFlowTest : public FaxServiceTest {
 protected:
  // Documents first, then the request, as the send dialog writes them.
  void dropRequest(const std::string& fod, const std::vector<std::pair<std::string, std::string>>& documents,
                   const std::string& extra = "") {
    std::string names;
    for (const auto& [name, content] : documents) {
      writeFile(sendFolder() + "/" + name, content);
      names += (names.empty() ? "" : ",") + name;
    }
    writeFile(sendFolder() + "/" + fod + ".inf",
              "[Lumora]\r\nCountry=82\r\nReceiverNo=0212345678\r\nTitle=Test\r\nUserID=alice\r\nSenderNo=0311112222\r\n"
              "FileCount=" + std::to_string(documents.size()) + "\r\nFileName=" + names + "\r\nFOD=" + fod + "\r\n" +
                  extra);
  }

  std::string archived(const std::string& name) const { return sendFolder() + "/" + today() + "/" + name; }

  std::string resultValue(const std::string& path, const char* key) const {
    return GetPrivateProfileString("Lumora", key, "", path);
  }

  bool archivedWith(const std::string& fod, const char* key, const std::string& value) const {
    const std::string path = archived(fod + ".rlt");
    return fs::exists(path) && resultValue(path, key) == value;
  }
};

TEST_F(FaxFlowTest, RequestTravelsToTheServerAndItsReportEndsIt) {
  fakefax::SendAnswer answer;
  answer.pages = 2;
  answer.files = {{"p1.tif", fakefax::Bytes(600, 7)}, {"../escape.tif", fakefax::Bytes(3, 1)}};
  server.setSendAnswer(answer);
  fakefax::ReportAnswer report;
  report.sentPages = 2;
  report.resultCode = "R07";
  server.setReportAnswer(report);

  initialize();
  ASSERT_EQ(service.checkLogin("alice", "secret"), 0);
  ASSERT_EQ(service.start(), 0);
  const auto started = std::chrono::steady_clock::now();
  dropRequest("20240506101500", {{"a.pdf", std::string(1000, 'a')}, {"b.tif", std::string(3000, 'b')}});

  ASSERT_TRUE(server.waitFor([&] { return !server.received(34).empty(); }, std::chrono::seconds(20)));
  // The watcher starts one pause before start() returns, then pauses ten.
  EXPECT_GE(std::chrono::steady_clock::now() - started, tick * 9);
  const auto sent = server.received(34);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].purpose, 'A');
  EXPECT_EQ(sent[0].bytes.size(), 4214u);
  EXPECT_EQ(u32At(sent[0].bytes, 2), 4208u);
  EXPECT_EQ(std::string(sent[0].bytes.begin() + 195, sent[0].bytes.begin() + 206), "a.pdf,b.tif");

  ASSERT_TRUE(eventually([&] { return archivedWith("20240506101500", "intState", "3"); }));
  const std::string result = archived("20240506101500.rlt");
  EXPECT_EQ(resultValue(result, "ResultCode"), "R07");
  EXPECT_EQ(resultValue(result, "intSentPages"), "2");
  EXPECT_EQ(resultValue(result, "strStartTime"), "2024-05-06 10:00:00");
  EXPECT_EQ(resultValue(result, "intPages"), "2");
  EXPECT_EQ(resultValue(result, "strTifNames"), "p1.tif");
  EXPECT_EQ(readFile(programDirectory + "/Tif/p1.tif"), std::string(600, 7));
  EXPECT_FALSE(fs::exists(programDirectory + "/escape.tif"));
  EXPECT_TRUE(fs::exists(archived("20240506101500.inf")));
  EXPECT_EQ(readFile(archived("b.tif")), std::string(3000, 'b'));
  EXPECT_FALSE(fs::exists(sendFolder() + "/a.pdf"));
  EXPECT_FALSE(fs::exists(sendFolder() + "/20240506101500.rlt"));
  const auto requests = server.received(36, 'B');
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&requests[0].bytes[6])), "20240506101500");
  EXPECT_TRUE(server.waitFor([&] { return !server.received(33, 'B').empty(); }, std::chrono::seconds(5)));
}

TEST_F(FaxFlowTest, FinalAnswersSetStateAndResultCode) {
  struct Case {
    char result;
    std::uint8_t status;
    const char* state;
    const char* code;
  } cases[] = {{'I', 0, "49", "849"}, {'E', 0, "5", "810"}, {0, 1, "10", "810"}};
  initializeAndStart();
  int number = 0;
  for (const auto& c : cases) {
    fakefax::SendAnswer answer;
    answer.result = c.result;
    answer.status = c.status;
    server.setSendAnswer(answer);
    const std::string fod = "FOD" + std::to_string(++number);
    // Different documents each time, so the repetition check stays out of it.
    dropRequest(fod, {{"doc" + std::to_string(number) + ".pdf", "content"}});
    ASSERT_TRUE(eventually([&] { return archivedWith(fod, "ResultCode", c.code); })) << fod;
    EXPECT_EQ(resultValue(archived(fod + ".rlt"), "intState"), c.state);
  }
  EXPECT_TRUE(server.received(36).empty());  // no report for jobs that ended
}

TEST_F(FaxFlowTest, RepeatedDocumentsAfterAFinalAnswerAreNotSent) {
  fakefax::SendAnswer answer;
  answer.result = 'I';
  server.setSendAnswer(answer);
  initializeAndStart();
  dropRequest("FIRST", {{"same.pdf", "one"}});
  // The next job is taken only after the answer to this one, so it can follow at once.
  ASSERT_TRUE(server.waitFor([&] { return server.received(34).size() == 1; }, std::chrono::seconds(20)));
  dropRequest("SECOND", {{"same.pdf", "two"}});
  ASSERT_TRUE(eventually([&] { return archivedWith("SECOND", "ResultCode", "810"); }));
  EXPECT_EQ(resultValue(archived("SECOND.rlt"), "intState"), "5");
  EXPECT_EQ(server.received(34).size(), 1u);
  EXPECT_TRUE(archivedWith("FIRST", "ResultCode", "849"));
  dropRequest("THIRD", {{"other.pdf", "three"}});
  ASSERT_TRUE(eventually([&] { return archivedWith("THIRD", "ResultCode", "849"); }));
  EXPECT_EQ(server.received(34).size(), 2u);
}

TEST_F(FaxFlowTest, EmptyDocumentsRejectTheRequestAtOnce) {
  initializeAndStart();
  dropRequest("EMPTY", {{"blank.pdf", ""}});
  ASSERT_TRUE(eventually([&] { return archivedWith("EMPTY", "ResultCode", "844"); }));
  EXPECT_EQ(resultValue(archived("EMPTY.rlt"), "intState"), "4");
  EXPECT_EQ(resultValue(archived("EMPTY.rlt"), "strSID"), "EMPTY");
  EXPECT_TRUE(server.received(34).empty());
}

TEST_F(FaxFlowTest, JobsTooLargeForOneMessageAreDroppedUnsent) {
  initializeAndStart();
  // Each document alone fits a message; together they do not.
  for (const char* name : {"big1.pdf", "big2.pdf"}) {
    writeFile(sendFolder() + "/" + name, "x");
    fs::resize_file(sendFolder() + "/" + name, 40u << 20);
  }
  writeFile(sendFolder() + "/BIG.inf",
            "[Lumora]\r\nCountry=82\r\nReceiverNo=0212345678\r\nUserID=alice\r\nFileCount=2\r\n"
            "FileName=big1.pdf,big2.pdf\r\nFOD=BIG\r\n");
  ASSERT_TRUE(eventually([&] { return archivedWith("BIG", "ResultCode", "810"); }));
  EXPECT_EQ(resultValue(archived("BIG.rlt"), "intState"), "5");
  EXPECT_TRUE(server.received(34).empty());
}

TEST_F(FaxFlowTest, IncomingFaxIsStoredWithItsInfoFileAndAcknowledged) {
  fakefax::IncomingFax fax;
  fax.fileName = "report.tif";
  fax.pages = 3;
  fax.content = fakefax::Bytes(5000, 0x49);
  server.queueIncomingFax(fax);
  fakefax::IncomingFax hostile = fax;
  hostile.fileName = "../../outside.tif";
  server.queueIncomingFax(hostile);
  initializeAndStart();

  ASSERT_TRUE(server.waitFor([&] { return server.received(6, 4).size() == 1; }, std::chrono::seconds(20)));
  EXPECT_EQ(readFile(programDirectory + "/Recv/report.tif"), std::string(5000, 0x49));
  EXPECT_EQ(readFile(programDirectory + "/Recv/repor.inf"),
            "[Lumora_Recv]\r\nUserID=alice\r\nstrSender_FaxNum=0212345678\r\nstrReceiver_FaxNum=0298765432\r\n"
            "strFileName=report.tif\r\nintFileSize=5000\r\nintPages=3\r\nstrReceiveDate=2024-05-06 11:00:00\r\n"
            "intState=0\r\n");
  // The hostile name is refused and not acknowledged; a second fax of the same
  // name gets a name of its own, and line breaks in its fields add no keys.
  fax.sender = "0212\r\nintState=9";
  server.queueIncomingFax(fax);
  ASSERT_TRUE(server.waitFor([&] { return server.received(6, 4).size() == 2; }, std::chrono::seconds(20)));
  EXPECT_TRUE(fs::exists(programDirectory + "/Recv/report-1.tif"));
  const std::string second = readFile(programDirectory + "/Recv/report-1.inf");
  EXPECT_NE(second.find("\r\nstrSender_FaxNum=0212  intState=9\r\n"), std::string::npos) << second;
  EXPECT_EQ(GetPrivateProfileString("Lumora_Recv", "intState", "", programDirectory + "/Recv/report-1.inf"), "0");
  EXPECT_FALSE(fs::exists(ostrel::testing::tempRoot() + "/outside.tif"));
  EXPECT_EQ(readFile(programDirectory + "/Recv/repor.inf").find("report-1"), std::string::npos);
}

TEST_F(FaxFlowTest, IncomingFaxesKeepOnlyFaxExtensionsAndRefusedNamesStayInTheirLogLine) {
  writeFile(programDirectory + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\nLogMode=1\r\n");
  for (const char* name :
       {"x.tif\r\n2024-05-06 11:00:00 - forged", "evil.inf", "scan.PDF", "pages.tiff", "noext", ".tif"}) {
    fakefax::IncomingFax fax;
    fax.fileName = name;
    fax.content = {'F', 'A', 'X'};
    server.queueIncomingFax(fax);
  }
  initializeAndStart();
  ASSERT_TRUE(server.waitFor([&] { return server.received(6, 4).size() == 5; }, std::chrono::seconds(20)));

  // Nothing the server names can pass for one of the library's own files.
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(programDirectory + "/Recv")) names.insert(entry.path().filename());
  EXPECT_EQ(names, (std::set<std::string>{"evil.inf.tif", "evil.in.inf", "scan.PDF", "scan.PDF.inf", "pages.tiff",
                                          "pages.inf", "noext.tif", "noex.inf", ".tif.tif", ".inf"}));
  EXPECT_EQ(readFile(programDirectory + "/Recv/evil.inf.tif"), "FAX");
  EXPECT_EQ(GetPrivateProfileString("Lumora_Recv", "strFileName", "", programDirectory + "/Recv/evil.in.inf"),
            "evil.inf.tif");

  const std::string log = readFile(fs::directory_iterator(programDirectory + "/Log")->path());
  EXPECT_NE(log.find(" - Incoming fax file name \"x.tif\\r\\n2024-05-06 11:00:00 - forged\" is not a plain file name; "
                     "refused.\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find("\n2024-05-06 11:00:00 - forged"), std::string::npos);
  EXPECT_NE(log.find(" - Incoming fax file name \"evil.inf\" has no fax extension; .tif appended.\r\n"),
            std::string::npos);
}

TEST_F(FaxFlowTest, IdleConnectionSendsThirtyKeepAlivesThenDrops) {
  // The login answer must arrive before the first keep-alive is due (120
  // ticks), or the count starts over; at 20 ms that leaves 2.4 s on a busy machine.
  initializeAndStart();
  ASSERT_TRUE(server.waitFor([&] { return server.closedConnections(4) >= 1; }, std::chrono::seconds(30)));
  const int first = server.received(1, 4).front().connection;
  int keepAlives = 0;
  for (const auto& r : server.received(126, 4)) keepAlives += r.connection == first;
  EXPECT_EQ(keepAlives, kDropAtIdlePolls - kKeepAliveFromIdlePolls);
  // After its pause the connection logs in anew.
  EXPECT_TRUE(server.waitFor([&] { return server.received(1, 4).size() >= 2; }, std::chrono::seconds(30)));
}

TEST_F(FaxFlowTest, RefusedAndOversizedAnswersMakeTheConnectionStartOver) {
  initialize();
  ASSERT_EQ(service.checkLogin("alice", "secret"), 0);
  server.setLoginStatus(1);
  ASSERT_EQ(service.start(), 0);
  ASSERT_TRUE(server.waitFor([&] { return server.received(1, 'B').size() >= 2; }, std::chrono::seconds(20)));
  EXPECT_GE(server.closedConnections('B'), 1);

  server.setLoginStatus(0);
  fakefax::Bytes huge(512, 0);
  huge[0] = 5;
  huge[2] = 0x7F;  // a length of about 2 GiB
  server.queueRaw(4, huge);
  const std::size_t before = server.received(1, 4).size();
  ASSERT_TRUE(server.waitFor([&] { return server.received(1, 4).size() >= before + 2; }, std::chrono::seconds(20)));
  // Dropped for the message, not for idling: no keep-alive went out first.
  EXPECT_TRUE(server.received(126, 4).empty());
}

TEST_F(FaxFlowTest, ServerStoppingInTheMiddleOfAMessageIsDropped) {
  initializeAndStart();
  ASSERT_TRUE(server.waitFor([&] { return server.received(1, 4).size() == 1; }, std::chrono::seconds(20)));
  fakefax::Bytes half(512, 0);
  half[0] = 5;
  half[4] = 0x10;  // announces 4 KiB more that never come
  server.queueRaw(4, half);
  ASSERT_TRUE(server.waitFor([&] { return server.received(1, 4).size() >= 2; }, std::chrono::seconds(20)));
  EXPECT_GE(server.closedConnections(4), 1);
  const int first = server.received(1, 4).front().connection;
  for (const auto& r : server.received(126, 4)) EXPECT_NE(r.connection, first);  // not dropped for idling
}

TEST_F(FaxFlowTest, ConvertedJobWithoutPageCountTakesItFromTheResultFile) {
  fakefax::SendAnswer answer;
  answer.pages = 0;
  server.setSendAnswer(answer);
  server.setAnswerReports(false);
  tick = std::chrono::milliseconds(50);  // the answer's result is read for 45 ticks
  initializeAndStart();
  dropRequest("NOPAGES", {{"n.pdf", "content"}});
  // The host may still fill in the count; the answer's 0 must not overwrite it.
  const std::string result = sendFolder() + "/NOPAGES.rlt";
  ASSERT_TRUE(eventually([&] { return resultValue(result, "intState") == "1"; }));
  platform::WritePrivateProfileString("Lumora", "intPages", "4", result);
  ASSERT_TRUE(eventually([&] { return resultValue(result, "intState") == "6"; }));
  EXPECT_EQ(resultValue(result, "intPages"), "4");
}

fakefax::Bytes serverFrame(std::uint8_t type, const std::vector<std::pair<std::size_t, std::string>>& fields) {
  fakefax::Bytes frame(512, 0);
  frame[0] = type;
  frame[4] = 0x01;
  frame[5] = 0xFA;  // 506
  for (const auto& [at, bytes] : fields) std::copy(bytes.begin(), bytes.end(), frame.begin() + at);
  return frame;
}

std::string be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

TEST_F(FaxFlowTest, ReportsForUnknownJobsAreStillAcknowledgedWhenAsked) {
  initializeAndStart();
  server.queueRaw('B', serverFrame(37, {{51, "GONE"}}));
  server.queueRaw('B', serverFrame(32, {{51, "../../GONE"}}));
  ASSERT_TRUE(server.waitFor([&] { return !server.received(33, 'B').empty(); }, std::chrono::seconds(20)));
  EXPECT_EQ(server.received(33, 'B').size(), 1u);  // the type 37 wanted none
}

TEST_F(FaxFlowTest, ConversionAnswerStoresTheReturnedPages) {
  server.setAnswerReports(false);
  initializeAndStart();
  writeFile(sendFolder() + "/CONV.rlt", "[Lumora]\r\nintState=1\r\nResultCode=0\r\n");
  server.queueRaw('A', serverFrame(39, {{7, "CONV"}, {37, be32(4)}, {41, be32(1)}, {45, be32(5)},
                                        {49, "c.tif"}, {54, be32(3)}, {58, "TIF"}}));
  ASSERT_TRUE(eventually([&] { return resultValue(sendFolder() + "/CONV.rlt", "intPages") == "4"; }));
  EXPECT_EQ(resultValue(sendFolder() + "/CONV.rlt", "strTifNames"), "c.tif");
  EXPECT_EQ(readFile(programDirectory + "/Tif/c.tif"), "TIF");
  // Answers for a job the library never had leave no file behind, and the
  // pages they bring are not stored.
  server.queueRaw('A', serverFrame(39, {{6, "\x01"}, {7, "NOSUCH"}}));
  server.queueRaw('A', serverFrame(35, {{6, "I"}, {7, "NOSUCH"}}));
  server.queueRaw('A', serverFrame(39, {{7, "NOSUCH"}, {37, be32(1)}, {41, be32(1)}, {45, be32(5)},
                                        {49, "n.tif"}, {54, be32(3)}, {58, "TIF"}}));
  server.queueRaw('A', serverFrame(35, {{7, "NOSUCH"}, {57, be32(1)}, {61, be32(1)}, {65, be32(5)},
                                        {69, "m.tif"}, {74, be32(3)}, {78, "TIF"}}));
  // Answers are handled in order: once this one shows, the others were handled.
  server.queueRaw('A', serverFrame(39, {{7, "CONV"}, {37, be32(9)}}));
  ASSERT_TRUE(eventually([&] { return resultValue(sendFolder() + "/CONV.rlt", "intPages") == "9"; }));
  EXPECT_FALSE(fs::exists(sendFolder() + "/NOSUCH.rlt"));
  EXPECT_FALSE(fs::exists(programDirectory + "/Tif/n.tif"));
  EXPECT_FALSE(fs::exists(programDirectory + "/Tif/m.tif"));
}

// The process's peak resident size starts over from the current one.
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// VmHWM (the peak) or VmRSS of this process, in MiB.
long memoryMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1)) / 1024;
  }
  return 0;
}

TEST_F(FaxFlowTest, AnAnswerInflatedWithCommasCostsNoMoreThanItsOwnSize) {
  server.setAnswerReports(false);
  initializeAndStart();
  const std::string result = writeFile(sendFolder() + "/INFL.rlt", "[Lumora]\r\nintState=1\r\nResultCode=0\r\n");
  // 64 MiB of which all but the one file is a name list of commas.
  auto frame = fakefax::conversionAnswerFrame("INFL", 7, std::string(kMaxMessageSize - 49 - 4 - 3, ','),
                                              {fakefax::Bytes(3, 1)});
  resetPeakMemory();
  const long before = memoryMiB("VmRSS:");
  const auto queued = std::chrono::steady_clock::now();
  server.queueRaw('A', std::move(frame));
  ASSERT_TRUE(eventually([&] { return resultValue(result, "intPages") == "7"; }, std::chrono::seconds(60)));
  // Loose bounds that only catch a blow-up: 16.7 million empty names once
  // took 2 GB and many seconds. The frame itself is 64 MiB.
  EXPECT_LT(std::chrono::steady_clock::now() - queued, std::chrono::seconds(10));
  EXPECT_LT(memoryMiB("VmHWM:") - before, 512);
  EXPECT_EQ(resultValue(result, "intState"), "2");
  EXPECT_EQ(resultValue(result, "strTifNames"), "");  // the one name is empty: refused
  EXPECT_TRUE(fs::is_empty(programDirectory + "/Tif"));
}

TEST_F(FaxFlowTest, ReturnedFilesUnderOneNameEachGetTheNextNumber) {
  server.setAnswerReports(false);
  initializeAndStart();
  const std::string result = writeFile(sendFolder() + "/REPEAT.rlt", "[Lumora]\r\nintState=1\r\nResultCode=0\r\n");
  std::string names = "p.tif";
  for (std::uint32_t i = 1; i < kMaxReturnedFiles; ++i) names += ",p.tif";
  const std::vector<fakefax::Bytes> files(kMaxReturnedFiles, {'T', 'I', 'F'});
  const auto queued = std::chrono::steady_clock::now();
  server.queueRaw('A', fakefax::conversionAnswerFrame("REPEAT", 7, names, files));
  ASSERT_TRUE(eventually([&] { return resultValue(result, "intPages") == "7"; }, std::chrono::seconds(120)));
  // A loose bound that only catches probing every number taken so far, which
  // made 6,000 files take a minute.
  EXPECT_LT(std::chrono::steady_clock::now() - queued, std::chrono::seconds(10));
  EXPECT_EQ(resultValue(result, "strTifNames").rfind("p.tif,p-1.tif,p-2.tif,", 0), 0u);
  EXPECT_NE(readFile(result).find(",p-9998.tif,p-9999.tif\r\n"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(programDirectory + "/Tif"), {}), kMaxReturnedFiles);
  EXPECT_EQ(readFile(programDirectory + "/Tif/p-9999.tif"), "TIF");
}

TEST_F(FaxFlowTest, StoppedServiceLeavesRequestsForTheNextRun) {
  initializeAndStart();
  service.stop();
  dropRequest("LATER", {{"later.pdf", "x"}});
  EXPECT_TRUE(fs::exists(sendFolder() + "/LATER.inf"));
  ASSERT_EQ(service.start(), 0);
  EXPECT_TRUE(server.waitFor([&] { return !server.received(34).empty(); }, std::chrono::seconds(20)));
}

}  // namespace
}  // namespace ostrel::fax
