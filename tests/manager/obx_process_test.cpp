// OBX as a new user meets it: processes, not mocks. A virtual scanner is
// registered with ostrel-device, a manager is started for it, later copies
// forward their events to it, and an unknown event ends it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <thread>

#include "app/core/startup_marker.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/manager_channel.h"
#include "tests/manager/obx_processes.h"
#include "tests/support/scoped_environment.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;

std::string markerOf(const std::string& scannerName) {
  return platform::GetPrivateProfileString("1", "Startup", "absent",
                                           startupMarkerPath(scannerName));
}

TEST(ObxProcesses, ButtonPressReachesTheRunningManagerAndAnUnknownEventEndsIt) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  EXPECT_EQ(markerOf("Heron"), "1");

  EXPECT_EQ(sendEvent("usb:04c5:11f3", buttonEvent(5)), 0);
  EXPECT_TRUE(eventually([] { return logHas("Button 5 is clicked."); }));
  EXPECT_TRUE(logHas("Ostrel post a message to the existing OBX."));

  EXPECT_EQ(sendEvent("usb:04c5:11f3", kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
  EXPECT_FALSE(platform::findManager("Heron"));

  // The per-scanner folder holds the built-in profiles.
  const std::string folder = scannerFolder("Heron");
  EXPECT_EQ(platform::GetPrivateProfileString("0", "Title", "", folder + "ScanSetting.ini"),
            "Black and White Text Document");
  EXPECT_EQ(platform::GetPrivateProfileString("5", "Title", "", folder + "ButtonSetting.ini"),
            "Storage");
  // A new user's files are the program folder's templates, the built-in sets.
  for (const char* file : {"ScanSetting.ini", "ApplicationSetting.ini", "ButtonSetting.ini"}) {
    EXPECT_EQ(readFile(folder + file), readFile(binDir() + "/Template/" + file)) << file;
  }
}

TEST(ObxProcesses, ATerminatedManagerGivesItsMarkerBack) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  manager.signal(SIGTERM);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
  EXPECT_TRUE(logHas("Ostrel is asked to end by SIGTERM."));
}

TEST(ObxProcesses, ManagersOfTwoScannersRunSideBySide) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  ASSERT_TRUE(addVirtualScanner("usb:04c5:1200", "Egret"));
  ChildProcess heron = startManager("usb:04c5:11f3", "Heron");
  ChildProcess egret = startManager("usb:04c5:1200", "Egret");
  EXPECT_EQ(markerOf("Egret"), "1");

  EXPECT_EQ(sendEvent("usb:04c5:1200", buttonEvent(5)), 0);
  // The press is logged by the manager of the scanner it was meant for.
  EXPECT_TRUE(eventually(
      [] { return logText().find("->[Egret] Button 5 is clicked.") != std::string::npos; }));
  EXPECT_EQ(logText().find("->[Heron] Button 5 is clicked."), std::string::npos);
  // A second manager event for a running scanner ends at once.
  EXPECT_EQ(sendEvent("usb:04c5:11f3", kManagerEvent), 0);
  EXPECT_TRUE(logHas("Ostrel exits due to other application existing."));

  EXPECT_EQ(sendEvent("usb:04c5:11f3", kUnknownEvent), 0);
  EXPECT_EQ(heron.wait(std::chrono::seconds(15)), 0);
  EXPECT_TRUE(platform::findManager("Egret"));
  EXPECT_EQ(sendEvent("usb:04c5:1200", kUnknownEvent), 0);
  EXPECT_EQ(egret.wait(std::chrono::seconds(15)), 0);
}

TEST(ObxProcesses, HelpPrintsTheUsageAndExitsInOrder) {
  for (const char* option : {"--help", "-h"}) {
    const Finished run = ChildProcess::runCapturing({obx(), option});
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_THAT(run.output, ::testing::StartsWith("Usage: OBX \"/StiDevice:DEVICE /StiEvent:EVENT\"\n"));
    EXPECT_EQ(run.error, "");
  }
  EXPECT_TRUE(logHas("Ostrel shows its usage and exits."));
}

TEST(ObxProcesses, AnInvalidCommandLineOrUnknownScannerSaysWhyAndFails) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  struct Case {
    std::vector<std::string> arguments;
    const char* reason;
    const char* logLine;
  };
  const std::vector<Case> cases = {
      {{"foo"}, "OBX: invalid command line: unknown argument \"foo\".", "Ostrel exits due to invalid command line."},
      {{"/StiDevice:usb:04c5:11f3"}, "OBX: invalid command line: \"/StiDevice:DEVICE\" needs a blank",
       "Ostrel exits due to invalid command line."},
      {{"/StiDevice:usb:0000:0000", std::string("/StiEvent:") + kManagerEvent},
       "OBX: no scanner is registered as \"usb:0000:0000\"", "Ostrel exits due to no scanner matched."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> arguments{obx()};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    const Finished run = ChildProcess::runCapturing(arguments);
    ASSERT_TRUE(run.status) << c.reason;
    EXPECT_NE(*run.status, 0) << c.reason;
    EXPECT_THAT(run.error, ::testing::HasSubstr(c.reason));
    EXPECT_EQ(run.output, "") << c.reason;
    EXPECT_EQ(logMessages().back(), c.logLine);
  }
  // None of them touched the scanner's marker or started a manager.
  EXPECT_EQ(markerOf("Heron"), "absent");
  EXPECT_FALSE(platform::findManager("Heron"));
}

// The messages one process logged, in order (its lines carry its id).
std::vector<std::string> messagesOf(pid_t pid) {
  char mark[32];
  std::snprintf(mark, sizeof mark, "(%04d) ->[", static_cast<int>(pid));
  std::vector<std::string> messages;
  std::istringstream lines(logText());
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t at = line.find(mark);
    if (at == std::string::npos) continue;
    const std::size_t text = line.find("] ", at);
    if (text != std::string::npos) messages.push_back(line.substr(text + 2));
  }
  return messages;
}

TEST(ObxProcesses, ButtonSevenOfASixButtonScannerIsOnlyLogged) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:1300", "Tern"));
  ChildProcess manager = startManager("usb:04c5:1300", "Tern");
  const pid_t pid = manager.pid();
  EXPECT_EQ(sendEvent("usb:04c5:1300", buttonEvent(7)), 0);
  EXPECT_TRUE(eventually([] { return logHas("Button 7 is clicked."); }));
  EXPECT_EQ(sendEvent("usb:04c5:1300", kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  const auto own = messagesOf(pid);
  ASSERT_GE(own.size(), 2u);
  EXPECT_THAT(std::vector<std::string>(own.end() - 2, own.end()),
              ElementsAre("Button 7 is clicked.", "Ostrel exit."));
}

// A start after a manager that did not end cleanly: about 3 s of search, then
// it runs as the manager, takes presses and ends as usual.
void expectTakeOverAfterTheSearch() {
  const auto begin = std::chrono::steady_clock::now();
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  const auto took = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(took, std::chrono::milliseconds(2900));
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_EQ(sendEvent("usb:04c5:11f3", buttonEvent(5)), 0);
  EXPECT_TRUE(eventually([] { return logHas("Button 5 is clicked."); }));
  EXPECT_EQ(sendEvent("usb:04c5:11f3", kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
}

TEST(ObxProcesses, AStaleMarkerDelaysTheNextManagerByAboutThreeSeconds) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  platform::createFolderTree(scannerFolder("Heron"));
  writeStartupMarker("Heron", true);
  expectTakeOverAfterTheSearch();
}

TEST(ObxProcesses, AKilledManagerDelaysTheNextOneByAboutThreeSecondsOnly) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  {
    ChildProcess killed = startManager("usb:04c5:11f3", "Heron");
    killed.signal(SIGKILL);
    EXPECT_EQ(killed.wait(std::chrono::seconds(15)), 128 + SIGKILL);
  }
  // Its marker and its socket file are left behind.
  EXPECT_EQ(markerOf("Heron"), "1");
  EXPECT_TRUE(std::filesystem::exists(platform::managerSocketPath("Heron")));
  expectTakeOverAfterTheSearch();
}

TEST(ObxProcesses, AManagerWhoseScannerIsRemovedEndsByItself) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  ASSERT_TRUE(addVirtualScanner("usb:04c5:1200", "Egret"));
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  // Another scanner going away leaves this manager running.
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "remove", "usb:04c5:1200"}), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_TRUE(platform::findManager("Heron"));

  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "remove", "usb:04c5:11f3"}), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
  EXPECT_FALSE(std::filesystem::exists(platform::managerSocketPath("Heron")));
}

TEST(ObxProcesses, AManagerThatReachesNoDisplayEndsInOrder) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  const ScopedEnvironment noPlatform("QT_QPA_PLATFORM", nullptr);
  const ScopedEnvironment noWayland("WAYLAND_DISPLAY", nullptr);
  for (const char* display : {static_cast<const char*>(nullptr), ":4711"}) {
    const ScopedEnvironment deadDisplay("DISPLAY", display);
    EXPECT_EQ(ChildProcess::run({obx(), "/StiDevice:usb:04c5:11f3", std::string("/StiEvent:") +
                                                                         kManagerEvent}),
              0)
        << (display ? display : "no display");
    EXPECT_EQ(logMessages().back(), "Ostrel exit.");
    EXPECT_TRUE(logHas("Ostrel cannot show its panel: there is no display."));
    EXPECT_EQ(markerOf("Heron"), "0");
    EXPECT_FALSE(std::filesystem::exists(platform::managerSocketPath("Heron")));
  }
}

}  // namespace
}  // namespace ostrel
