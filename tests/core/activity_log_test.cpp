#include "platform/activity_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

std::tm at(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

std::string logDir() { return tempRoot() + "/appdata/Ostrel/"; }

TEST(ActivityLog, LineFormatPadsTheThreadToFourDigits) {
  const std::tm t = at(2026, 12, 4, 9, 5, 3);
  EXPECT_EQ(formatLogLine(t, 7, "Heron", "Ostrel Start Up..."),
            "2026-12-04 09:05:03(0007) ->[Heron] Ostrel Start Up...\r\n");
  EXPECT_EQ(formatLogLine(t, 123456, "", "x"), "2026-12-04 09:05:03(123456) ->[] x\r\n");
  EXPECT_EQ(formatLogLine(t, 7, "He\nron", "INV\r\n2026-12-04 09:05:03(0001) ->[] forged"),
            "2026-12-04 09:05:03(0007) ->[He ron] INV  2026-12-04 09:05:03(0001) ->[] forged\r\n");
}

TEST(ActivityLog, LinesGoToTheMonthOfTheirMoment) {
  ActivityLog log;
  log.setScannerName("Heron");
  log.write("last of the year", at(2025, 12, 31, 23, 59, 59));
  log.write("first of the next", at(2026, 1, 1, 0, 0, 0));
  EXPECT_NE(readFile(logDir() + "OBX-2025-12.log").find("2025-12-31 23:59:59("), std::string::npos);
  const std::string january = readFile(logDir() + "OBX-2026-01.log");
  EXPECT_TRUE(january.ends_with("->[Heron] first of the next\r\n")) << january;
  EXPECT_EQ(january.find("last of the year"), std::string::npos);
}

TEST(ActivityLog, AppendsWithExactlyOneLineEndAndWritesUtf8) {
  ActivityLog log;
  const std::tm t = at(2026, 12, 7, 10, 0, 0);
  log.write("one", t);
  log.write("Gr\xC3\xBC\xC3\x9F" "e", t);
  const std::string text = readFile(logDir() + "OBX-2026-12.log");
  EXPECT_EQ(text.find("\r\r"), std::string::npos);
  EXPECT_NE(text.find("->[] one\r\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("->[] Gr\xC3\xBC\xC3\x9F" "e\r\n"));
}

TEST(ActivityLog, ConcurrentWritersKeepLinesWhole) {
  ActivityLog log;
  const std::tm t = at(2026, 12, 7, 10, 0, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([&] {
      for (int n = 0; n < 200; ++n) log.write(std::string(100, 'x'), t);
    });
  }
  for (auto& thread : threads) thread.join();
  const std::string text = readFile(logDir() + "OBX-2026-12.log");
  std::size_t lines = 0;
  for (std::size_t pos = 0; (pos = text.find("\r\n", pos)) != std::string::npos; pos += 2) ++lines;
  EXPECT_EQ(lines, 800u);
  EXPECT_EQ(text.find("x2026"), std::string::npos);
}

TEST(ActivityLog, UnwritableFolderDropsTheLineWithoutHanging) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  std::filesystem::create_directories(logDir());
  ::chmod(logDir().c_str(), 0500);
  const auto start = std::chrono::steady_clock::now();
  ActivityLog().write("lost", at(2026, 12, 7, 10, 0, 0));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  ::chmod(logDir().c_str(), 0700);
}

TEST(ActivityLog, FolderThatIsAFileDropsTheLineWithoutHanging) {
  writeFile(tempRoot() + "/appdata/Ostrel", "not a folder");
  const auto start = std::chrono::steady_clock::now();
  ActivityLog().write("lost", at(2026, 12, 7, 10, 0, 0));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(ActivityLog, CleanUpRemovesOnlyLogsOfEarlierYears) {
  for (const char* name : {"OBX-2025-12.log", "OBX-2024-01.log", "OBX-2026-01.log", "OBX-2026-11.log",
                           "notes.log", "OBX-abcd.log", "OBX-2025-12.txt"}) {
    writeFile(logDir() + name, "x");
  }
  ActivityLog::removeOldLogs(at(2026, 1, 1, 0, 0, 1));
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(logDir())) {
    left.push_back(entry.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"OBX-2025-12.txt", "OBX-2026-01.log", "OBX-2026-11.log",
                                            "OBX-abcd.log", "notes.log"}));
}

TEST(ActivityLog, FirstWriteCreatesTheFolder) {
  Log("hello");
  bool found = false;
  for (const auto& entry : std::filesystem::directory_iterator(logDir())) {
    found = found || entry.path().filename().string().starts_with("OBX-");
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace ostrel
