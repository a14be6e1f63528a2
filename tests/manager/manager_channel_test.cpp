#include "platform/manager_channel.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/folder_lock.h"
#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

using ostrel::testing::tempRoot;

// A socket file left by a manager that was killed.
void leaveDeadSocket(const std::string& scannerName) {
  const std::string path = managerSocketPath(scannerName);
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

TEST(ManagerChannel, PostedRecordsArriveInOrder) {
  auto listener = ManagerListener::listen("Heron");
  ASSERT_EQ(listener.state(), ManagerListener::State::Listening) << listener.error();
  EXPECT_TRUE(findManager("Heron"));
  EXPECT_EQ(postToManager("Heron", {0x0419, 3, 1}), PostResult::Delivered);
  EXPECT_EQ(postToManager("Heron", {0x0111, 32773, 0}), PostResult::Delivered);
  EXPECT_EQ(listener.receive(), (ManagerRecord{0x0419, 3, 1}));
  EXPECT_EQ(listener.receive(), (ManagerRecord{0x0111, 32773, 0}));
  EXPECT_EQ(listener.receive(), std::nullopt);
}

TEST(ManagerChannel, NoManagerIsNeitherFoundNorReached) {
  EXPECT_FALSE(findManager("Heron"));
  EXPECT_EQ(postToManager("Heron", {0x0419, 1, 1}), PostResult::NoManager);
}

TEST(ManagerChannel, AFullQueueIsABusyManagerNotAMissingOne) {
  auto listener = ManagerListener::listen("Heron");
  ASSERT_EQ(listener.state(), ManagerListener::State::Listening) << listener.error();
  int delivered = 0;
  PostResult result = PostResult::Delivered;
  while (delivered < 100000 && (result = postToManager("Heron", {0x0419, 1, 1})) == PostResult::Delivered) {
    ++delivered;
  }
  EXPECT_EQ(result, PostResult::Busy);
  EXPECT_GT(delivered, 0);
  // Once the manager catches up, posts arrive again.
  while (listener.receive()) {
  }
  EXPECT_EQ(postToManager("Heron", {0x0419, 2, 1}), PostResult::Delivered);
}

TEST(ManagerChannel, ASocketLeftByADeadManagerIsNotAManager) {
  leaveDeadSocket("Heron");
  ASSERT_TRUE(std::filesystem::exists(managerSocketPath("Heron")));
  EXPECT_FALSE(findManager("Heron"));
  auto listener = ManagerListener::listen("Heron");
  EXPECT_EQ(listener.state(), ManagerListener::State::Listening) << listener.error();
  EXPECT_EQ(postToManager("Heron", {1, 2, 3}), PostResult::Delivered);
}

TEST(ManagerChannel, ManagersRankInTheOrderTheyStarted) {
  EXPECT_EQ(managerRank("Heron"), 0);
  leaveDeadSocket("Kestrel");
  std::optional<ManagerListener> heron = ManagerListener::listen("Heron");
  // Apart by more than a clock tick, so the start times tell them apart.
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  auto egret = ManagerListener::listen("Egret");
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  auto tern = ManagerListener::listen("Tern");
  EXPECT_EQ(managerRank("Heron"), 0);
  EXPECT_EQ(managerRank("Egret"), 1);
  EXPECT_EQ(managerRank("Tern"), 2);
  // A scanner without a manager comes after every running one; the dead one counts for nothing.
  EXPECT_EQ(managerRank("Kestrel"), 3);
  // The first one ending moves the others up.
  heron.reset();
  EXPECT_EQ(managerRank("Egret"), 0);
  EXPECT_EQ(managerRank("Tern"), 1);
}

TEST(ManagerChannel, ALiveManagerIsNotReplaced) {
  auto first = ManagerListener::listen("Heron");
  auto second = ManagerListener::listen("Heron");
  EXPECT_EQ(second.state(), ManagerListener::State::ManagerRunning);
  EXPECT_EQ(second.fd(), -1);
  EXPECT_EQ(postToManager("Heron", {1, 2, 3}), PostResult::Delivered);
  EXPECT_EQ(first.receive(), (ManagerRecord{1, 2, 3}));
}

TEST(ManagerChannel, TheSocketFileGoesWithItsManager) {
  const std::string path = managerSocketPath("Heron");
  {
    auto listener = ManagerListener::listen("Heron");
    auto moved = std::move(listener);
    EXPECT_EQ(listener.fd(), -1);
    EXPECT_TRUE(std::filesystem::exists(path));
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ManagerChannel, RecordsOfAnotherSizeAreDropped) {
  auto listener = ManagerListener::listen("Heron");
  const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strcpy(address.sun_path, managerSocketPath("Heron").c_str());
  ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const char junk[64] = {1};
  ::send(fd, junk, sizeof junk, 0);
  ::send(fd, junk, 5, 0);
  ::close(fd);
  EXPECT_EQ(postToManager("Heron", {7, 8, 9}), PostResult::Delivered);
  EXPECT_EQ(listener.receive(), (ManagerRecord{7, 8, 9}));
  EXPECT_EQ(listener.takeDropped(), 2u);
  EXPECT_EQ(listener.takeDropped(), 0u);
}

TEST(ManagerChannel, CopiesClaimTheSocketOneAfterAnother) {
  // Another copy is between its search and its bind: this one must wait for it
  // rather than remove the socket that copy is about to bind.
  auto other = std::make_optional<FolderLock>(tempRoot() + "/runtime");
  std::atomic<bool> done = false;
  std::optional<ManagerListener> mine;
  std::thread claim([&] {
    mine.emplace(ManagerListener::listen("Heron"));
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(done);
  EXPECT_FALSE(std::filesystem::exists(managerSocketPath("Heron")));
  other.reset();
  claim.join();
  EXPECT_EQ(mine->state(), ManagerListener::State::Listening) << mine->error();
}

TEST(ManagerChannel, AnyScannerNameGivesASafeSocketPath) {
  const std::string folder = tempRoot() + "/runtime";
  for (const std::string& name :
       {std::string("../../etc/x"), std::string("a/b"), std::string(""), std::string(500, 'x'),
        std::string("\xE6\x89\xAB\xE6\x8F\x8F"), std::string("nul\0byte", 8)}) {
    const std::string path = managerSocketPath(name);
    EXPECT_EQ(std::filesystem::path(path).parent_path(), folder) << path;
    EXPECT_LT(path.size(), sizeof(sockaddr_un::sun_path));
    auto listener = ManagerListener::listen(name);
    EXPECT_EQ(listener.state(), ManagerListener::State::Listening) << listener.error();
  }
  EXPECT_NE(managerSocketPath("Heron"), managerSocketPath("heron"));
}

TEST(ManagerChannel, WithoutRuntimeFolderAPrivateFolderInTmpServes) {
  ::unsetenv("XDG_RUNTIME_DIR");
  const std::string folder = managerSocketFolder();
  ASSERT_EQ(folder, "/tmp/ostrel-" + std::to_string(::getuid()));
  struct stat st {};
  ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);
  EXPECT_EQ(st.st_uid, ::getuid());
}

}  // namespace
}  // namespace ostrel::platform
