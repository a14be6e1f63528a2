// ostrel-device as users and the demo run it.
#include <gtest/gtest.h>

#include <filesystem>

#include "scanners/protocol/imaging_devices.h"
#include "app/scan/scanner_config.h"
#include "platform/registry_store.h"
#include "tests/support/temp_home.h"
#include "tests/support/tool_run.h"
#include "scanners/ostrel-device/device_registration.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel {
namespace {

using testing::ToolRun;

ToolRun tool(const std::string& arguments) { return testing::runTool(testing::binDir() + "/ostrel-device " + arguments); }

TEST(DeviceTool, AddListAndRemoveAVirtualScanner) {
  const ToolRun added = tool("add-virtual 'usb\\vid_1' Heron --vendor Acme --duplex --flatbed --ultrasonic "
                         "--generate 3 --blank 2 --barcode 3=INV-7 --feeder-size 2600x4000");
  ASSERT_EQ(added.status, 0) << added.output;
  EXPECT_EQ(tool("add-virtual second Tern").status, 0);

  const ToolRun listed = tool("list");
  EXPECT_NE(listed.output.find("usb\\vid_1\tHeron\tAcme\t"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("second\tTern\tNorvane\t"), std::string::npos);

  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("usb\\vid_1"), 1);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  EXPECT_TRUE(config.hasDuplex && config.hasFlatbed && config.hasUltrasonic);
  EXPECT_EQ(config.maxWidth, 2600);
  EXPECT_EQ(config.maxLength, 4000);
  EXPECT_EQ(config.scanIniPath, devicetool::devicesFolder() + "/usb\\vid_1/nvscan32.ini");

  EXPECT_EQ(tool("add-virtual second Egret --replace").status, 0);  // the same identifier: updated in place
  EXPECT_EQ(listImagingDevices().devices.size(), 2u);
  EXPECT_NE(tool("list").output.find("second\tEgret\t"), std::string::npos);

  EXPECT_EQ(tool("remove second").status, 0);
  EXPECT_FALSE(std::filesystem::exists(devicetool::devicesFolder() + "/second"));
  EXPECT_EQ(tool("remove second").status, 1);
  EXPECT_EQ(listImagingDevices().devices.size(), 1u);
}

TEST(DeviceTool, RefusesBadArguments) {
  EXPECT_EQ(tool("add-virtual ../escape Tern").status, 1);
  EXPECT_EQ(tool("add-virtual 'usb 1' Tern").status, 1);
  EXPECT_FALSE(std::filesystem::exists(testing::tempRoot() + "/appdata/Ostrel/escape"));
  EXPECT_EQ(tool("add-virtual dev Tern --generate 0").status, 2);
  EXPECT_EQ(tool("add-virtual dev Tern --barcode 3").status, 2);
  EXPECT_EQ(tool("add-virtual dev Tern --no-feeder").status, 2);
  EXPECT_EQ(tool("add-virtual dev Tern --pages /tmp --generate 2").status, 2);
  EXPECT_EQ(tool("frobnicate").status, 2);
  EXPECT_TRUE(listImagingDevices().devices.empty());
}

TEST(DeviceTool, ARegisteredIdentifierIsReplacedOnlyWhenAsked) {
  ASSERT_EQ(tool("add-virtual desk Heron --generate 2").status, 0);
  const ToolRun again = tool("add-virtual desk Egret");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.output.find("ostrel-device: desk is already registered (Heron, virtual); add --replace to replace it"),
            std::string::npos)
      << again.output;
  EXPECT_NE(tool("list").output.find("desk\tHeron\t"), std::string::npos);
  // The stack it had is still there.
  EXPECT_EQ(virtualscanner::VirtualDevice::load(devicetool::devicesFolder() + "/desk/virtualscanner.ini")->generatedPages, 2);

  EXPECT_EQ(tool("add-virtual desk Egret --replace").status, 0);
  EXPECT_NE(tool("list").output.find("desk\tEgret\t"), std::string::npos);
  EXPECT_NE(tool("--help").output.find("--replace"), std::string::npos);
}

TEST(DeviceTool, RefusesAStackItCannotFeedAndAModelWithALineBreak) {
  const struct {
    const char* options;
    const char* message;
  } cases[] = {
      {"Tern --generate 3 --blank 2,4", "--blank names page 4, but the feeder holds 3 generated page(s)"},
      {"Tern --blank 1", "--blank names page 1, but the feeder holds 0 generated page(s)"},
      {"Tern --generate 3 --barcode 5=INV-7", "--barcode names page 5, but the feeder holds 3 generated page(s)"},
      {"Tern --pages /nonexistent/pages", "the pages folder /nonexistent/pages does not exist"},
      {"\"$(printf 'Two\\nLines')\"", "the model name cannot hold line breaks"},
  };
  for (const auto& c : cases) {
    const ToolRun run = tool(std::string("add-virtual dev ") + c.options);
    EXPECT_NE(run.status, 0) << c.options;
    EXPECT_NE(run.output.find(std::string("ostrel-device: ") + c.message), std::string::npos) << run.output;
  }
  EXPECT_TRUE(listImagingDevices().devices.empty());
  EXPECT_FALSE(std::filesystem::exists(devicetool::devicesFolder() + "/dev"));

  // A relative pages folder is kept as the absolute one the scanner finds from anywhere.
  std::filesystem::create_directories(testing::tempRoot() + "/pages");
  const ToolRun relative = testing::runTool("cd " + testing::tempRoot() + " && " + testing::binDir() +
                                            "/ostrel-device add-virtual dev Tern --pages pages");
  ASSERT_EQ(relative.status, 0) << relative.output;
  EXPECT_EQ(virtualscanner::VirtualDevice::load(devicetool::devicesFolder() + "/dev/virtualscanner.ini")->pagesFolder,
            testing::tempRoot() + "/pages");
}

TEST(DeviceTool, RemovingAForeignDeviceLeavesItsFiles) {
  const std::string folder = testing::tempRoot() + "/vendor";
  testing::writeFile(folder + "/libdriver.so", "x");
  auto key = platform::RegistryKey::create(platform::Hive::LocalMachine, imagingDeviceKeyPath(0));
  key->setString("DeviceID", "vendor");
  key->setString("DRIVERPATH", folder + "/libdriver.so");
  EXPECT_EQ(tool("remove vendor").status, 0);
  EXPECT_TRUE(std::filesystem::exists(folder + "/libdriver.so"));
}

}  // namespace
}  // namespace ostrel
