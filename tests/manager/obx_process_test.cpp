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
#include "tests/manager/obx_processes.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;

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
  EXPECT_NE(platform::GetPrivateProfileString("0", "Title", "", folder + "ApplicationSetting.ini"),
            "");
}

TEST(ObxProcesses, ATerminatedManagerGivesItsMarkerBack) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
  ChildProcess manager = startManager("usb:04c5:11f3", "Heron");
  manager.signal(SIGTERM);
  EXPECT_EQ(manager.wait(std::chrono::seconds(15)), 0);
  EXPECT_EQ(markerOf("Heron"), "0");
  EXPECT_TRUE(logHas("Ostrel is asked to end."));
}

TEST(ObxProcesses, AStaleMarkerDelaysTheNextManagerByAboutThreeSeconds) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:11f3", "Heron"));
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

}  // namespace
}  // namespace ostrel
