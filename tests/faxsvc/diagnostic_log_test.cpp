#include "faxsvc/diagnostic_log.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tests/support/temp_home.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;

std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

TEST(DiagnosticLog, FirstLineAfterMidnightStartsTheNewDaysFile) {
  DiagnosticLog log;
  log.configure(tempRoot(), true);
  std::time_t now = localTime(2024, 5, 6, 23, 59, 59);
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
