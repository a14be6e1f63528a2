// OBX as a new user meets it: processes, not mocks. A virtual scanner is
// registered with ostrel-device, a manager is started for it, later copies
// forward their events to it, and an unknown event ends it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "app/core/startup_marker.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/manager_channel.h"
#include "tests/manager/child_process.h"
#include "tests/manager/log_reader.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using testing::binDir;
using testing::ChildProcess;
using ::testing::Contains;
using testing::eventually;
using testing::logMessages;

constexpr const char* kManagerEvent = "{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}";
constexpr const char* kButton5 = "{2f596c84-76ec-11da-aafd-0050ba1aca6f}";
constexpr const char* kUnknownEvent = "{00000000-0000-0000-0000-000000000000}";

std::string obx() { return binDir() + "/OBX"; }

void addVirtualScanner(const std::string& deviceId, const std::string& model) {
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "add-virtual", deviceId, model}), 0);
}

// The manager of a scanner, started with the manager event; ready once its
// socket answers.
ChildProcess startManager(const std::string& deviceId, const std::string& scannerName) {
  ChildProcess manager =
      ChildProcess::start({obx(), "/StiDevice:" + deviceId + " /StiEvent:" + kManagerEvent});
  EXPECT_TRUE(manager.started());
  EXPECT_TRUE(eventually([&] { return platform::findManager(scannerName); }));
  return manager;
}

std::optional<int> sendEvent(const std::string& deviceId, const std::string& event) {
  // Split arguments here; the manager itself was started with one quoted argument.
  return ChildProcess::run({obx(), "/StiDevice:" + deviceId, "/StiEvent:" + event});
}

bool logHas(const std::string& message) {
  const auto log = logMessages();
  return std::find(log.begin(), log.end(), message) != log.end();
}

// Every log file's text, with the scanner names of its lines.
std::string logText() {
  std::string text;
  const std::filesystem::path folder = testing::tempRoot() + "/appdata/Ostrel";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".log") text += testing::readFile(entry.path().string());
  }
  return text;
}

std::string markerOf(const std::string& scannerName) {
  return platform::GetPrivateProfileString("1", "Startup", "absent",
                                           startupMarkerPath(scannerName));
}

TEST(ObxProcesses, ButtonPressReachesTheRunningManagerAndAnUnknownEventEndsIt) {
  addVirtualScanner("usb:04c5:11f3", "Heron");
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  EXPECT_EQ(markerOf("Heron"), "1");

  EXPECT_EQ(sendEvent("usb:04c5:11f3", kButton5), 0);
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
  EXPECT_NE(platform::GetPrivateProfileString("0", "Title", "", folder + "ApplicationSetting.ini"),
            "");
}

TEST(ObxProcesses, ATerminatedManagerGivesItsMarkerBack) {
  addVirtualScanner("usb:04c5:11f3", "Heron");
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  manager.signal(SIGTERM);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
  EXPECT_TRUE(logHas("Ostrel is asked to end."));
}

TEST(ObxProcesses, AStaleMarkerDelaysTheNextManagerByAboutThreeSeconds) {
  addVirtualScanner("usb:04c5:11f3", "Heron");
  platform::createFolderTree(scannerFolder("Heron"));
  writeStartupMarker("Heron", true);
  const auto begin = std::chrono::steady_clock::now();
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(2900));
  EXPECT_EQ(sendEvent("usb:04c5:11f3", kUnknownEvent), 0);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
}

TEST(ObxProcesses, ManagersOfTwoScannersRunSideBySide) {
  addVirtualScanner("usb:04c5:11f3", "Heron");
  addVirtualScanner("usb:04c5:1200", "Egret");
  ChildProcess heron = startManager("usb:04c5:11f3", "Heron");
  ChildProcess egret = startManager("usb:04c5:1200", "Egret");
  EXPECT_EQ(markerOf("Egret"), "1");

  EXPECT_EQ(sendEvent("usb:04c5:1200", kButton5), 0);
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

}  // namespace
}  // namespace ostrel
