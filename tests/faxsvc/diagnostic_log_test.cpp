#include "faxsvc/diagnostic_log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "tests/support/temp_home.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;

// The log writes local time; in UTC the day ends at a known instant.
class FaxLogInUtc : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* zone = std::getenv("TZ")) saved_ = zone;
    ::setenv("TZ", "UTC0", 1);
    ::tzset();
  }
  void TearDown() override {
    if (saved_) ::setenv("TZ", saved_->c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
  }

  static constexpr std::time_t kLastSecondOfMay6 = 1715039999;  // 2024-05-06 23:59:59

 private:
  std::optional<std::string> saved_;
};

TEST_F(FaxLogInUtc, FirstLineAfterMidnightStartsTheNewDaysFile) {
  DiagnosticLog log;
  log.configure(tempRoot(), true);
  std::time_t now = kLastSecondOfMay6;
  log.setClock([&now] { return now; });
  log.write("before");
  now += 2;
  log.write("after");
  log.writeSystemError("moving", ENOENT);
  EXPECT_EQ(readFile(tempRoot() + "/Log/fax_20240506.log"), "2024-05-06 23:59:59 - before\r\n");
  EXPECT_EQ(readFile(tempRoot() + "/Log/fax_20240507.log"),
            "2024-05-07 00:00:01 - after\r\n2024-05-07 00:00:01 - moving - error code: 2 - " +
                std::string(std::strerror(ENOENT)) + "\r\n");
}

TEST_F(FaxLogInUtc, OutsideTextInAMessageCannotStartALineOfItsOwn) {
  DiagnosticLog log;
  log.configure(tempRoot(), true);
  log.setClock([] { return kLastSecondOfMay6; });
  log.write("name \"a.tif\r\n2024-05-06 23:59:59 - Login Succeeded\" refused");
  log.write(std::string("tab\t bell\a nul") + '\0' + " del\x7F back\\n \xEC\xA0\x9C");
  EXPECT_EQ(readFile(tempRoot() + "/Log/fax_20240506.log"),
            "2024-05-06 23:59:59 - name \"a.tif\\r\\n2024-05-06 23:59:59 - Login Succeeded\" refused\r\n"
            "2024-05-06 23:59:59 - tab\\t bell\\x07 nul\\x00 del\\x7f back\\\\n \xEC\xA0\x9C\r\n");
}

TEST(DiagnosticLog, WritesNothingWhileSwitchedOff) {
  DiagnosticLog log;
  log.configure(tempRoot(), false);
  log.write("quiet");
  EXPECT_FALSE(std::filesystem::exists(tempRoot() + "/Log"));
}

TEST(OutputToFile, AppendsAndCreates) {
  const std::string path = tempRoot() + "/out.bin";
  EXPECT_TRUE(outputToFile(path, "ab"));
  EXPECT_TRUE(outputToFile(path, "cd"));
  EXPECT_EQ(readFile(path), "abcd");
  EXPECT_FALSE(outputToFile(tempRoot() + "/missing/out.bin", "x"));
}

}  // namespace
}  // namespace ostrel::fax
