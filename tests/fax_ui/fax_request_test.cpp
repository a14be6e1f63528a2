#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "app/delivery/fax/fax_memory.h"
#include "app/delivery/fax/fax_request.h"
#include "app/delivery/fax/fax_web_page.h"
#include "app/settings/password_codec.h"
#include "platform/ini_file.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

Clock::time_point localAt(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return Clock::from_time_t(std::mktime(&t));
}

class FaxRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    spool = tempRoot() + "/spool";
    scans = tempRoot() + "/scans";
    request.receiver = "0212345678";
    request.title = "Invoice";
    request.userId = "alice";
    request.senderNo = "0299990000";
    request.documents = {writeFile(scans + "/Scan0000.pdf", "first document"),
                         writeFile(scans + "/Scan0001.pdf", "second document")};
  }

  std::string send(const std::string& name) const { return spool + "/Send/" + name; }

  std::string spool;
  std::string scans;
  FaxRequest request;
  FaxClock clock = [] { return localAt(2026, 12, 9, 10, 11, 12); };
};

TEST_F(FaxRequestTest, RequestHoldsItsKeysInOrderWithTheCoverPageFirst) {
  request.coverText = "Dear Bob\n<b>urgent</b>";
  request.coverPixelSize = 35;
  const QueuedFax queued = queueFax(spool, request, clock);
  ASSERT_TRUE(queued.queued) << queued.error;
  EXPECT_EQ(queued.fod, "20261209101112");
  EXPECT_EQ(queued.requestPath, send("20261209101112.inf"));
  EXPECT_EQ(readFile(queued.requestPath),
            "[Lumora]\r\nCountry=82\r\nReceiverNo=0212345678\r\nTitle=Invoice\r\nUserID=alice\r\n"
            "SenderNo=0299990000\r\nFileCount=3\r\nFileName=20261209101112.html,Scan0000.pdf,Scan0001.pdf\r\n"
            "FOD=20261209101112\r\n");
  EXPECT_EQ(readFile(send("Scan0000.pdf")), "first document");
  EXPECT_EQ(readFile(send("Scan0001.pdf")), "second document");
  EXPECT_NE(readFile(send("20261209101112.html")).find("&lt;b&gt;urgent&lt;/b&gt;"), std::string::npos);
}

TEST_F(FaxRequestTest, EmptyCoverTextWritesNoCoverPage) {
  const QueuedFax queued = queueFax(spool, request, clock);
  ASSERT_TRUE(queued.queued);
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "FileCount", "", queued.requestPath), "2");
  EXPECT_FALSE(fs::exists(send(queued.fod + ".html")));
}

// Two sends within one second used to share a FOD, the second request
// replacing the first.
TEST_F(FaxRequestTest, TwoSendsInOneSecondKeepTheirOwnRequests) {
  request.coverText = "one";
  const QueuedFax first = queueFax(spool, request, clock);
  request.coverText = "two";
  request.receiver = "0311112222";
  const QueuedFax second = queueFax(spool, request, clock);
  ASSERT_TRUE(first.queued && second.queued);
  EXPECT_EQ(first.fod, "20261209101112");
  EXPECT_EQ(second.fod, "20261209101113");
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "ReceiverNo", "", first.requestPath), "0212345678");
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "ReceiverNo", "", second.requestPath), "0311112222");
  EXPECT_NE(readFile(send(first.fod + ".html")).find(">one<"), std::string::npos);
}

TEST_F(FaxRequestTest, AFodOfTheArchiveIsNotUsedAgain) {
  writeFile(send("20261209/20261209101112.inf"), "[Lumora]\r\n");
  writeFile(send("20261209101113.rlt"), "[Lumora]\r\n");
  EXPECT_EQ(queueFax(spool, request, clock).fod, "20261209101114");
}

// A document of a request still waiting used to be replaced by a new one of
// the same name, and the wrong pages faxed.
TEST_F(FaxRequestTest, WaitingDocumentsOfTheSameNameKeepTheirFiles) {
  writeFile(send("Scan0000.pdf"), "waiting in the spool");
  writeFile(send("20261209/Scan0001.pdf"), "moved, waiting to be sent");
  const QueuedFax queued = queueFax(spool, request, clock);
  ASSERT_TRUE(queued.queued);
  EXPECT_EQ(queued.fileNames, (std::vector<std::string>{"Scan0000_2.pdf", "Scan0001_2.pdf"}));
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "FileName", "", queued.requestPath),
            "Scan0000_2.pdf,Scan0001_2.pdf");
  EXPECT_EQ(readFile(send("Scan0000.pdf")), "waiting in the spool");
  EXPECT_EQ(readFile(send("Scan0000_2.pdf")), "first document");
  EXPECT_EQ(readFile(send("Scan0001_2.pdf")), "second document");
}

TEST_F(FaxRequestTest, TwoDocumentsOfOneNameInOneRequestBothGo) {
  request.documents.push_back(writeFile(scans + "/other/Scan0000.pdf", "third"));
  const QueuedFax queued = queueFax(spool, request, clock);
  ASSERT_TRUE(queued.queued);
  EXPECT_EQ(queued.fileNames, (std::vector<std::string>{"Scan0000.pdf", "Scan0001.pdf", "Scan0000_2.pdf"}));
  EXPECT_EQ(readFile(send("Scan0000_2.pdf")), "third");
}

// A failed copy used to go unreported, leaving the service to reject the
// request later.
TEST_F(FaxRequestTest, AFailedCopyIsReportedAndWritesNoRequest) {
  request.documents.push_back(scans + "/gone.pdf");
  const QueuedFax queued = queueFax(spool, request, clock);
  EXPECT_FALSE(queued.queued);
  EXPECT_NE(queued.error.find("gone.pdf"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(spool + "/Send")) << "the copies made are removed again";
}

TEST_F(FaxRequestTest, AFailedCoverWriteIsReportedAndWritesNoRequest) {
  // The cover page's name leads into a folder that does not exist (the tests
  // may run as root, whom permissions do not stop).
  fs::create_directories(spool + "/Send");
  fs::create_symlink(tempRoot() + "/missing/cover.html", send("20261209101112.html"));
  request.coverText = "cover";
  const QueuedFax queued = queueFax(spool, request, clock);
  EXPECT_FALSE(queued.queued);
  EXPECT_NE(queued.error.find("cover page"), std::string::npos);
  EXPECT_FALSE(fs::exists(send("Scan0000.pdf"))) << "the copies made are removed again";
  EXPECT_FALSE(fs::exists(send("20261209101112.inf")));
}

// The login used to be written into the texts file beside the program, which
// is read-only when installed and shared by every user.
TEST(FaxMemory, LoginIsKeptPerUserWithTheTextsFileAsFallback) {
  const std::string texts = writeFile(tempRoot() + "/program/Template/ResourceSetting.ini",
                                      "[Fax]\r\nUserID=shared\r\nPassword=" + EncodePassword("template") +
                                          "\r\nMoblieNO=0200000000\r\n");
  fs::permissions(texts, fs::perms::owner_read);
  FaxMemory memory(FaxMemory::defaultUserFile(), texts);
  EXPECT_EQ(memory.userId(), "shared");
  EXPECT_EQ(memory.password(), "template");
  EXPECT_EQ(memory.receiverHistory(), "0200000000");

  ASSERT_TRUE(memory.rememberLogin("alice", "secret"));
  ASSERT_TRUE(memory.rememberReceiver("0311112222"));
  EXPECT_EQ(memory.userId(), "alice");
  EXPECT_EQ(memory.password(), "secret");
  EXPECT_EQ(memory.receiverHistory(), "0200000000,0311112222");
  EXPECT_EQ(FaxMemory::defaultUserFile(), tempRoot() + "/appdata/Ostrel/Fax.ini");
  EXPECT_EQ(platform::GetPrivateProfileString("Fax", "UserID", "", texts), "shared");
  EXPECT_NE(readFile(FaxMemory::defaultUserFile()).find("Password=" + EncodePassword("secret")), std::string::npos);
}

TEST(FaxWebPage, PageIsPrivateToTheUserAndHostsAreSettings) {
  const auto path = writePrivatePage("<html>secret</html>");
  ASSERT_TRUE(path);
  EXPECT_EQ(fs::path(*path).parent_path(), fs::path(tempRoot() + "/runtime"));
  struct stat info {};
  ASSERT_EQ(::stat(path->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(readFile(*path), "<html>secret</html>");

  const std::string spool = tempRoot() + "/spool";
  writeFile(spool + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n[Web]\r\nSecureHost=member.example\r\n");
  const FaxWebHosts hosts = readWebHosts(spool);
  EXPECT_EQ(hosts.secure, "member.example");
  EXPECT_EQ(hosts.plain, "localhost");
  EXPECT_EQ(platform::GetPrivateProfileString("Web", "Host", "", spool + "/ZeltSvc.ini"), "localhost");
}

}  // namespace
}  // namespace ostrel
