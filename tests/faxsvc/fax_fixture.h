#pragma once
// A service under test: its own program folder in the test's temporary root, a
// fake fax server on a free loopback port, and a short time unit.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "faxsvc/fax_service.h"
#include "tests/support/temp_home.h"
#include "tools/fakefaxd/fake_fax_server.h"

namespace ostrel::fax {

inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

class FaxServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.listening());
    programDirectory = ostrel::testing::tempRoot() + "/program";
    ostrel::testing::writeFile(programDirectory + "/ZeltSvc.ini", "[Env]\r\nServerIP=127.0.0.1\r\n");
  }

  ServiceOptions options() const {
    ServiceOptions o;
    o.programDirectory = programDirectory;
    o.port = server.port();
    o.timing.tick = tick;
    return o;
  }

  void initialize() { ASSERT_EQ(service.initialize(options()), 0); }

  void initializeAndStart() {
    initialize();
    ASSERT_EQ(service.checkLogin("alice", "secret"), 0);
    ASSERT_EQ(service.start(), 0);
  }

  std::string sendFolder() const { return programDirectory + "/Send"; }

  std::chrono::milliseconds tick{20};
  fakefax::FakeFaxServer server;
  std::string programDirectory;
  FaxService service;  // declared last: stopped before the server goes
};

}  // namespace ostrel::fax
