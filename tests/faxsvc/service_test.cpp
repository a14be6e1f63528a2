#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <future>

#include "faxsvc/credentials.h"
#include "faxsvc/fax_service.h"
#include "platform/ini_file.h"
#include "tests/faxsvc/fax_fixture.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using platform::GetPrivateProfileString;

TEST_F(FaxServiceTest, MissingSettingsFileIsCreatedAndFilledIn) {
  std::filesystem::remove(programDirectory + "/ZeltSvc.ini");
  initialize();
  const std::string ini = programDirectory + "/ZeltSvc.ini";
  EXPECT_EQ(GetPrivateProfileString("Env", "SendFolder", "", ini), programDirectory + "/Send");
  EXPECT_EQ(GetPrivateProfileString("Env", "RecvFolder", "", ini), programDirectory + "/Recv");
  EXPECT_EQ(GetPrivateProfileString("Env", "ServerIP", "", ini), "localhost");
  EXPECT_EQ(GetPrivateProfileString("Env", "ConvMode", "", ini), "0");
  EXPECT_EQ(GetPrivateProfileString("Env", "SendThreads", "x", ini), "");
  // The default ConvMode=1 took effect once: the Tif folder exists.
  EXPECT_TRUE(std::filesystem::is_directory(programDirectory + "/Send"));
  EXPECT_TRUE(std::filesystem::is_directory(programDirectory + "/Recv"));
  EXPECT_TRUE(std::filesystem::is_directory(programDirectory + "/Tif"));
  EXPECT_EQ(readFile(ini).rfind("[Env]\r\nSendMode=1\r\nRecvMode=1\r\nConvMode=0\r\nSendFolder=", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(programDirectory + "/Log"));  // logging is off
}

TEST_F(FaxServiceTest, LoginStoresCredentialsAndRefusalsDoNot) {
  initialize();
  EXPECT_EQ(service.checkLogin("alice", "secret"), 0);
  ASSERT_TRUE(loadCredentials());
  EXPECT_EQ(loadCredentials()->password, "secret");
  const auto login = server.received(1);
  ASSERT_EQ(login.size(), 1u);
  EXPECT_EQ(login[0].bytes[46], 'A');

  server.setLoginStatus(3);
  EXPECT_EQ(service.checkLogin("mallory", "guess"), -1);
  EXPECT_EQ(service.start(), -1);  // the refusal cleared the login flag
  EXPECT_EQ(loadCredentials()->userId, "alice");
}

TEST_F(FaxServiceTest, OverlongValuesAreRefusedWithoutTraffic) {
  initialize();
  const std::string twenty(20, 'u'), twentyOne(21, 'u');
  EXPECT_EQ(service.checkLogin(twentyOne, "p"), -5);
  EXPECT_EQ(service.checkLogin("u", twentyOne), -5);
  EXPECT_EQ(service.credit(twentyOne, "p"), -5);
  char buffer[20] = {};
  EXPECT_EQ(service.ownNumber("u", twentyOne, buffer), -1);
  EXPECT_TRUE(server.received().empty());
  EXPECT_EQ(service.checkLogin(twenty, twenty), 0);
}

TEST_F(FaxServiceTest, AcceptedEmptyPasswordStillFails) {
  initialize();
  EXPECT_EQ(service.checkLogin("alice", ""), -4);
  EXPECT_EQ(service.start(), -1);
}

TEST_F(FaxServiceTest, CreditAndOwnNumberQueries) {
  initialize();
  server.setCredit(1234567);
  server.setOwnNumber("0212345678");
  EXPECT_EQ(service.credit("alice", "secret"), 1234567);
  char buffer[24];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(service.ownNumber("alice", "secret", buffer), 0);
  EXPECT_STREQ(buffer, "0212345678");
  EXPECT_EQ(buffer[20], '#');  // exactly 20 bytes written

  server.setOwnNumber(std::string(20, '9'));
  EXPECT_EQ(service.ownNumber("alice", "secret", buffer), 0);
  EXPECT_EQ(std::string(buffer, 20), std::string(20, '9'));
  EXPECT_EQ(buffer[20], '#');  // not terminated, as documented

  server.setOwnNumber("1234");
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(service.ownNumber("alice", "secret", buffer), -1);
  EXPECT_EQ(buffer[0], '#');  // untouched

  const auto logins = server.received(1);
  ASSERT_EQ(logins.size(), 4u);
  EXPECT_EQ(logins[0].bytes[46], 'C');
  EXPECT_EQ(logins[1].bytes[46], 'D');
}

TEST_F(FaxServiceTest, QueriesFailWhenTheServerIsSilentOrAbsent) {
  initialize();
  server.setAnswerLogins(false);
  EXPECT_EQ(service.credit("alice", "secret"), -1);
  ostrel::testing::writeFile(programDirectory + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n");
  ServiceOptions elsewhere = options();
  elsewhere.port = 1;  // nothing listens there
  ASSERT_EQ(service.initialize(elsewhere), 0);
  EXPECT_EQ(service.checkLogin("alice", "secret"), -1);
}

TEST_F(FaxServiceTest, QueriesEndInTimeWhenTheServerDripsItsAnswer) {
  initialize();
  const std::function<int()> queries[] = {
      [&] { return service.checkLogin("alice", "secret"); },
      [&] { return service.credit("alice", "secret"); },
      [&] {
        char buffer[20];
        return service.ownNumber("alice", "secret", buffer);
      }};
  for (const auto& query : queries) {
    // Every byte comes well inside the stall limit, so only a deadline for the
    // whole query ends it: 30 ticks (0.6 s) where the answer takes 51 s.
    server.setAnswerPace(std::chrono::milliseconds(100));
    auto result = std::async(std::launch::async, query);
    const bool inTime = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    server.setAnswerPace(std::chrono::milliseconds(0));  // lets a query still waiting finish
    EXPECT_TRUE(inTime);
    EXPECT_EQ(result.get(), -1);
  }
  EXPECT_EQ(service.start(), -1);
}

TEST_F(FaxServiceTest, StartWithoutLoginStartsNothing) {
  initialize();
  EXPECT_EQ(service.start(), -1);
  EXPECT_FALSE(service.running());
  service.stop();  // a stop without a start is harmless
}

TEST_F(FaxServiceTest, StopReturnsPromptlyAndReinitialisingWhileRunningKeepsTheWorkers) {
  tick = std::chrono::milliseconds(1000);  // the pauses as shipped
  initialize();
  ASSERT_EQ(service.checkLogin("alice", "secret"), 0);
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(service.start(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));  // five 1 s pauses
  ASSERT_TRUE(server.waitFor([&] { return server.received(1).size() >= 4; }, std::chrono::seconds(20)));

  ASSERT_EQ(service.initialize(options()), 0);
  EXPECT_TRUE(service.running());
  const auto stopping = std::chrono::steady_clock::now();
  service.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(2));
  EXPECT_FALSE(service.running());
}

TEST_F(FaxServiceTest, DiagnosticLogWritesWhenSwitchedOn) {
  ostrel::testing::writeFile(programDirectory + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\nLogMode=1\r\n");
  initialize();
  EXPECT_EQ(service.checkLogin(std::string(21, 'u'), "p"), -5);
  const std::string log = readFile(programDirectory + "/Log/fax_" + [] {
    char day[16];
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    std::strftime(day, sizeof day, "%Y%m%d", &local);
    return std::string(day);
  }() + ".log");
  EXPECT_NE(log.find(" - I cannot login beacause User ID length exceeded 20 byte.\r\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace ostrel::fax
