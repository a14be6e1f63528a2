// The C exports as the host program sees them: through libZeltsvc.so, with the
// process instance pointed at this test's folder and fake server.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "faxsvc/zeltsvc.h"
#include "tests/support/temp_home.h"
#include "tools/fakefaxd/fake_fax_server.h"

namespace {

class ZeltsvcExports : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listening());
    folder = ostrel::testing::tempRoot() + "/program";
    ostrel::testing::writeFile(folder + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n");
    ::setenv("OSTREL_FAX_DIR", folder.c_str(), 1);
    ::setenv("OSTREL_FAX_PORT", std::to_string(server.port()).c_str(), 1);
    ::setenv("OSTREL_FAX_TICK_MS", "20", 1);
  }
  void TearDown() override { ZeltServiceStop(); }

  ostrel::fakefax::FakeFaxServer server;
  std::string folder;
};

TEST_F(ZeltsvcExports, CallingOrderFromInitialisationToStop) {
  // Before initialisation there is no folder and no server to use.
  EXPECT_EQ(ChkZeltLogin("alice", "secret"), -1);
  EXPECT_EQ(GetCreditEx("alice", "secret"), -1);
  EXPECT_EQ(ZeltServiceStart(), -1);
  EXPECT_TRUE(server.received().empty());
  ASSERT_EQ(InitializeZelt(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/Send"));
  EXPECT_EQ(ZeltServiceStart(), -1);
  server.setCredit(1234567);
  EXPECT_EQ(ChkZeltLogin("alice", "secret"), 0);
  EXPECT_EQ(GetCreditEx("alice", "secret"), 1234567);
  EXPECT_EQ(GetCreditEx(nullptr, nullptr), 1234567);  // a null string reads as empty
  char number[20];
  EXPECT_EQ(GetMyFaxNo("alice", "secret", nullptr), -1);
  EXPECT_EQ(GetMyFaxNo("alice", "secret", number), -1);  // the server knows no number
  EXPECT_EQ(ZeltServiceStart(), 0);
  EXPECT_EQ(InitializeZelt(), 0);  // while running: the workers stay as they are
  ASSERT_TRUE(server.waitFor([&] { return server.received(1).size() >= 7; }, std::chrono::seconds(20)));
  ZeltServiceStop();
  EXPECT_EQ(ChkZeltLogin("alice", std::string(21, 'p').c_str()), -5);
}

}  // namespace
