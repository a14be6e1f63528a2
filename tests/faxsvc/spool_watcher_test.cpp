#include "faxsvc/spool_watcher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "faxsvc/result_monitor.h"
#include "platform/ini_file.h"
#include "tests/support/temp_home.h"

namespace ostrel::fax {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;
namespace fs = std::filesystem;

std::string today() {
  char day[16];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(day, sizeof day, "%Y%m%d", &local);
  return day;
}

class SpoolWatcherTest : public ::testing::Test {
 protected:
  SpoolWatcherTest()
      : paths(FaxPaths::under(tempRoot() + "/program")),
        context{paths, {"127.0.0.1", 1}, Timing{std::chrono::milliseconds(2)}, log, stop, jobs, reports},
        watcher(context) {
    fs::create_directories(paths.send);
  }

  std::string request(const std::string& fod, const std::string& names, int count) {
    return "[Lumora]\r\nUserID=alice\r\nCountry=82\r\nReceiverNo=0212345678\r\nFileCount=" + std::to_string(count) +
           "\r\nFileName=" + names + "\r\nFOD=" + fod + "\r\n";
  }

  FaxPaths paths;
  DiagnosticLog log;
  StopSignal stop;
  LockedQueue<SendJob> jobs;
  LockedQueue<ReportRequest> reports;
  WorkerContext context;
  SpoolWatcher watcher;
};

TEST_F(SpoolWatcherTest, OldestRequestGoesFirstWhateverItsName) {
  writeFile(paths.send + "/doc.pdf", "pdf");
  writeFile(paths.send + "/zzz.inf", request("ZZZ", "doc.pdf", 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  writeFile(paths.send + "/aaa.inf", request("AAA", "doc.pdf", 1));
  watcher.runPass();
  const auto first = jobs.take();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->fod, "ZZZ");
  EXPECT_EQ(first->number, 1);
  EXPECT_EQ(first->totalSize, 3u);
  EXPECT_EQ(first->date, today());
  EXPECT_EQ(first->sender, "020000000");
  EXPECT_TRUE(fs::exists(paths.send + "/" + today() + "/zzz.inf"));
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "intState", "", paths.send + "/ZZZ.rlt"), "1");
  watcher.runPass();
  const auto second = jobs.take();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->fod, "AAA");
  EXPECT_EQ(second->number, 2);
  EXPECT_EQ(second->totalSize, 3u);  // its document was already archived
}

TEST_F(SpoolWatcherTest, ResultFileFollowsTheTemplateByteForByte) {
  writeFile(paths.send + "/a.pdf", "12345");
  writeFile(paths.send + "/r.inf",
            "[Lumora]\r\nUserID=alice\r\nCountry=82\r\nReceiverNo=0212345678,0298765432\r\nSenderNo=0311112222\r\n"
            "Title=Hello\r\nFileCount=1\r\nFileName=a.pdf\r\nFOD=20240506101500\r\n");
  watcher.runPass();
  const std::string text = readFile(paths.send + "/20240506101500.rlt");
  const std::string registered = text.substr(text.find("strRegDate=") + 11, 19);
  EXPECT_EQ(text,
            "[Lumora]\r\nstrSender_FaxNum=0311112222\r\nstrReceiver_FaxNum=0212345678,0298765432\r\n"
            "strSubject=Hello\r\nintConvTif=1\r\nstrDate=" + today() +
                "\r\nintFiles=1\r\nstrFileName=a.pdf\r\nstrTifNames=\r\nintPages=0\r\nintSentPages=0\r\n"
                "intState=1\r\nstrRegDate=" + registered +
                "\r\nstrReserverDate=\r\nstrStartTime=\r\nstrEndTime=\r\nstrSID=20240506101500\r\n"
                "strCountryCode=82\r\nintDeleted=0\r\nResultCode=0\r\n");
}

TEST_F(SpoolWatcherTest, InvalidRequestIsSetAsideAfterFiveFailures) {
  writeFile(paths.send + "/bad.inf", "[Lumora]\r\nUserID=alice\r\n");
  for (int pass = 1; pass <= 4; ++pass) {
    watcher.runPass();
    ASSERT_TRUE(fs::exists(paths.send + "/bad.inf")) << pass;
  }
  watcher.runPass();
  EXPECT_FALSE(fs::exists(paths.send + "/bad.inf"));
  EXPECT_TRUE(fs::exists(paths.send + "/" + today() + "/bad.inf.err"));
  EXPECT_EQ(jobs.size(), 0u);
}

TEST_F(SpoolWatcherTest, UnsafeOrMissingDocumentsNeverLeaveTheFolder) {
  writeFile(tempRoot() + "/program/secret.txt", "secret");
  writeFile(paths.send + "/r.inf", request("ESC", "../secret.txt", 1));
  watcher.runPass();
  EXPECT_EQ(jobs.size(), 0u);
  EXPECT_TRUE(fs::exists(tempRoot() + "/program/secret.txt"));
  const std::string result = paths.send + "/" + today() + "/ESC.rlt";
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "intState", "", result), "4");
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "ResultCode", "", result), "844");
}

TEST_F(SpoolWatcherTest, LinksAndSpecialFilesAreNeverReadOrSent) {
  // A linked document would send a file from outside the spool to the server.
  writeFile(tempRoot() + "/program/secret.txt", "secret");
  fs::create_symlink(tempRoot() + "/program/secret.txt", paths.send + "/link.pdf");
  writeFile(paths.send + "/r.inf", request("LINK", "link.pdf", 1));
  watcher.runPass();
  EXPECT_EQ(jobs.size(), 0u);
  const std::string result = paths.send + "/" + today() + "/LINK.rlt";
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "ResultCode", "", result), "844");
  EXPECT_FALSE(fs::exists(paths.send + "/" + today() + "/link.pdf"));

  // A FIFO posing as a request would block a reader for good: it is refused at
  // once and set aside like any request that cannot be read.
  ASSERT_EQ(::mkfifo((paths.send + "/pipe.inf").c_str(), 0600), 0);
  for (int pass = 1; pass <= 5; ++pass) watcher.runPass();
  EXPECT_FALSE(fs::exists(paths.send + "/pipe.inf"));
  EXPECT_TRUE(fs::is_fifo(paths.send + "/" + today() + "/pipe.inf.err"));
}

TEST_F(SpoolWatcherTest, MonitorAsksOnceAtATimeForAReportAndArchivesFinishedJobs) {
  const auto result = [&](const std::string& fod, int state, int code) {
    writeFile(paths.send + "/" + fod + ".rlt",
              "[Lumora]\r\nstrReceiver_FaxNum=0212345678\r\nstrDate=20240506\r\nintState=" + std::to_string(state) +
                  "\r\nstrSID=" + fod + "\r\nstrCountryCode=82\r\nResultCode=" + std::to_string(code) + "\r\n");
  };
  result("CONV", 2, 0);
  result("DONE", 49, 0);
  result("OLD", 3, 844);
  writeFile(paths.send + "/HALF.rlt", "[Lumora]\r\nintState=2\r\n");
  ResultMonitor monitor(context);
  for (int pass = 0; pass < 3; ++pass) monitor.runPass();
  // One request waits for the report connection, however many passes ran.
  EXPECT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports.take()->sid, "CONV");
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "intState", "", paths.send + "/CONV.rlt"), "6");
  monitor.runPass();
  EXPECT_EQ(reports.size(), 1u);  // asked again once the last one went out
  EXPECT_EQ(platform::GetPrivateProfileString("Lumora", "ResultCode", "", paths.send + "/20240506/DONE.rlt"), "849");
  EXPECT_TRUE(fs::exists(paths.send + "/20240506/OLD.rlt"));
  EXPECT_TRUE(fs::exists(paths.send + "/HALF.rlt"));  // unreadable fields: left alone
}

TEST_F(SpoolWatcherTest, DirectoriesNamedLikeRequestsAreSkipped) {
  fs::create_directories(paths.send + "/folder.inf");
  watcher.runPass();
  EXPECT_TRUE(fs::is_directory(paths.send + "/folder.inf"));
  EXPECT_EQ(jobs.size(), 0u);
}

}  // namespace
}  // namespace ostrel::fax
