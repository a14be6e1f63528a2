#include "platform/staged_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

using ostrel::testing::readFile;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

mode_t modeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// A staging file beside path, written and left unlocked by a process that ends
// without committing or removing it, as a killed writer does.
void leaveStagingFileOfADeadWriter(const std::string& path) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    StagedFile staged(path, 0666, Flush::no);
    ::_exit(staged.ok() && writeAll(::open(staged.temporaryPath().c_str(), O_WRONLY), "torn") == 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(StagedFile, NewFilesTakeTheUmaskAndReplacedOnesKeepTheirPermissions) {
  const mode_t previous = ::umask(027);
  const bool created = replaceFileAtomically(tempRoot() + "/new", "one", 0666, Flush::no);
  ::umask(previous);
  ASSERT_TRUE(created);
  EXPECT_EQ(modeOf(tempRoot() + "/new"), 0640u);

  // Replacing goes through the folder, so even a read-only file takes new
  // content and stays read-only.
  const std::string readOnly = writeFile(tempRoot() + "/read-only", "old");
  ::chmod(readOnly.c_str(), 0444);
  ASSERT_TRUE(replaceFileAtomically(readOnly, "new", 0666, Flush::beforeRename));
  EXPECT_EQ(readFile(readOnly), "new");
  EXPECT_EQ(modeOf(readOnly), 0444u);
  EXPECT_EQ(entries(tempRoot()).size(), 6u);  // the two files beside the test home's four folders
}

TEST(StagedFile, NothingReachesTheTargetBeforeCommitAndAFailureLeavesNoTrace) {
  const std::string path = writeFile(tempRoot() + "/out/Scan.pdf", "older file");
  {
    StagedFile staged(path, 0666, Flush::no);
    ASSERT_TRUE(staged.ok());
    EXPECT_TRUE(staged.temporaryPath().starts_with(tempRoot() + "/out/.Scan.pdf.ostrel-"));
    writeFile(staged.temporaryPath(), "half a document");
    EXPECT_EQ(readFile(path), "older file");
  }  // never committed
  EXPECT_EQ(entries(tempRoot() + "/out"), std::vector<std::string>{"Scan.pdf"});
  EXPECT_EQ(readFile(path), "older file");

  StagedFile nowhere(tempRoot() + "/missing/Scan.pdf", 0666, Flush::no);
  EXPECT_FALSE(nowhere.ok());
  EXPECT_EQ(nowhere.error(), ENOENT);
  EXPECT_EQ(nowhere.commit(), ENOENT);
}

TEST(StagedFile, AWriteThroughADanglingLinkMakesTheFileWhereItPoints) {
  std::filesystem::create_directories(tempRoot() + "/synced");
  const std::string link = tempRoot() + "/ButtonSetting.ini";
  std::filesystem::create_symlink("synced/ButtonSetting.ini", link);
  ASSERT_TRUE(replaceFileAtomically(link, "[1]\r\n", 0666, Flush::no));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(readFile(tempRoot() + "/synced/ButtonSetting.ini"), "[1]\r\n");
}

TEST(StagedFile, OnlyStagingFilesNoLiveWriterHoldsAreClearedAway) {
  const std::string folder = tempRoot() + "/out";
  std::filesystem::create_directories(folder);
  leaveStagingFileOfADeadWriter(folder + "/Scan0000.pdf");
  leaveStagingFileOfADeadWriter(folder + "/Scan0001.pdf");
  const std::vector<std::string> dead = entries(folder);
  ASSERT_EQ(dead.size(), 2u);

  // A live writer: this process's own, locked through another descriptor.
  StagedFile live(folder + "/Scan0002.pdf", 0666, Flush::no);
  ASSERT_TRUE(live.ok());
  // Names like ours that are no staging files, and a link named like one.
  for (const char* name :
       {".bashrc.backup", "Scan.pdf.ostrel-abc123", ".Scan.pdf.ostrel-ABC123", ".ostrel-abc123"}) {
    writeFile(folder + "/" + name, "someone else's");
  }
  std::filesystem::create_symlink(folder + "/.bashrc.backup", folder + "/.Link.ostrel-abc123");

  std::vector<std::string> removed = removeAbandonedStagingFiles(folder);
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::string>{folder + "/" + dead[0], folder + "/" + dead[1]}));
  EXPECT_EQ(entries(folder).size(), 6u);
  EXPECT_TRUE(std::filesystem::exists(live.temporaryPath()));
  EXPECT_EQ(live.commit(), 0);
  EXPECT_TRUE(std::filesystem::exists(folder + "/Scan0002.pdf"));
}

void onAlarm(int) {}

TEST(WriteAll, CarriesOnPastShortWritesAndSignals) {
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  const UniqueFd reader(pipeEnds[0]);
  UniqueFd writer(pipeEnds[1]);
  // Interrupt the blocked writes every half millisecond, without restarting them.
  struct sigaction action {};
  action.sa_handler = onAlarm;
  struct sigaction previous {};
  ASSERT_EQ(::sigaction(SIGALRM, &action, &previous), 0);
  const itimerval every{{0, 500}, {0, 500}};
  ASSERT_EQ(::setitimer(ITIMER_REAL, &every, nullptr), 0);

  std::string bytes(4 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  std::string received;
  std::thread drain([&] {
    sigset_t alarm;  // the signals go to the writing thread
    sigemptyset(&alarm);
    sigaddset(&alarm, SIGALRM);
    ::pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
    char buffer[4096];  // smaller than the pipe: the writer keeps getting short writes
    while (received.size() < bytes.size()) {
      const ssize_t n = ::read(reader.get(), buffer, sizeof buffer);
      if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
      if (n == 0) break;
      std::this_thread::sleep_for(std::chrono::microseconds(50));  // the writer waits on a full pipe
    }
  });
  const int result = writeAll(writer.get(), bytes);
  writer.reset();  // a write given up early ends the reader too
  drain.join();
  const itimerval off{};
  ::setitimer(ITIMER_REAL, &off, nullptr);
  ::sigaction(SIGALRM, &previous, nullptr);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(received == bytes);
}

}  // namespace
}  // namespace ostrel::platform
