// The SANE module on its own against the test backend, and ostrel-device as a
// user runs it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/sane/sane_test_backend.h"
#include "tests/support/temp_home.h"
#include "tests/support/tool_run.h"
#include "scanners/sane/page_reader.h"
#include "scanners/sane/sane_device.h"

namespace ostrel::sane {
namespace {

using ::testing::HasSubstr;

TEST(SaneDevice, SixteenBitSamplesReadOnTheHelperThreadMatchScanimage) {
  testing::useSaneTestBackend();
  for (const char* mode : {"Gray", "Color"}) {
    SCOPED_TRACE(mode);
    std::string error;
    auto device = SaneDevice::open("test:0", &error);
    ASSERT_TRUE(device) << error;
    const std::vector<std::string> options{"--mode", mode, "--depth", "16", "--resolution", "60"};
    ASSERT_TRUE(device->set("mode", OptionValue{std::string(mode)}, &error)) << error;
    ASSERT_TRUE(device->set("depth", OptionValue{16.0}, &error)) << error;
    ASSERT_TRUE(device->set("resolution", OptionValue{60.0}, &error)) << error;
    EXPECT_EQ(device->value("depth"), OptionValue{16.0});

    ReaderSettings settings;
    settings.dpi = 60;
    settings.singlePage = true;
    PageReader reader(device, settings);
    reader.requestPage();
    const auto page = reader.takePage();
    ASSERT_TRUE(page) << (reader.end() ? reader.end()->message : "");
    const auto reference = testing::scanimage(options);
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->maxValue, 65535);
    EXPECT_EQ(testing::firstDifference(*page, *reference), "");
  }
}

TEST(SaneDevice, UnknownDevicesAndOptionsAreRefusedWithAReason) {
  testing::useSaneTestBackend();
  std::string error;
  EXPECT_FALSE(SaneDevice::open("test:9", &error));
  EXPECT_THAT(error, HasSubstr("SANE cannot open test:9"));
  EXPECT_FALSE(SaneDevice::open("", &error));

  auto device = SaneDevice::open("test:1", &error);
  ASSERT_TRUE(device) << error;
  EXPECT_FALSE(device->set("no-such-option", OptionValue{1.0}, &error));
  EXPECT_FALSE(device->set("mode", OptionValue{2.0}, &error));
  EXPECT_THAT(error, HasSubstr("takes text"));
  EXPECT_FALSE(device->set("resolution", OptionValue{std::string("high")}, &error));
  EXPECT_FALSE(device->set("mode", OptionValue{std::string("Infrared")}, &error));
  EXPECT_FALSE(device->set("resolution", OptionValue{1e12}, &error));
  EXPECT_EQ(device->value("mode"), OptionValue{std::string("Gray")});

  const auto devices = listDevices(&error);
  ASSERT_TRUE(devices) << error;
  ASSERT_EQ(devices->size(), 2u);
  EXPECT_EQ(devices->at(0).name, "test:0");
  EXPECT_EQ(devices->at(0).model, "frontend-tester");
}

TEST(SaneDeviceTool, ListsAddsAndRefusesSaneScanners) {
  testing::useSaneTestBackend();
  const std::string tool = testing::binDir() + "/ostrel-device ";
  const auto listed = testing::runTool(tool + "sane-list");
  EXPECT_EQ(listed.status, 0);
  EXPECT_THAT(listed.output, HasSubstr("test:0\tNoname\tfrontend-tester\tvirtual device\n"));
  EXPECT_THAT(listed.output, HasSubstr("test:1\t"));

  const auto added = testing::runTool(tool + "add-sane office test:0");
  EXPECT_EQ(added.status, 0) << added.output;
  EXPECT_EQ(testing::runTool(tool + "add-virtual desk Tern").status, 0);
  const auto devices = testing::runTool(tool + "list");
  EXPECT_THAT(devices.output, HasSubstr("office\tfrontend-tester\tNorvane\tSANE test:0\t"));
  EXPECT_THAT(devices.output, HasSubstr("desk\tTern\tNorvane\tvirtual\t"));

  // The same identifier again, now a virtual scanner: the SANE settings go.
  EXPECT_EQ(testing::runTool(tool + "add-virtual office Heron --replace").status, 0);
  EXPECT_THAT(testing::runTool(tool + "list").output, HasSubstr("office\tHeron\tNorvane\tvirtual\t"));
  EXPECT_EQ(testing::runTool(tool + "add-sane office test:1 --model 'Front Desk' --vendor Acme").status, 1);
  EXPECT_EQ(testing::runTool(tool + "add-sane office test:1 --model 'Front Desk' --vendor Acme --replace").status, 0);
  EXPECT_THAT(testing::runTool(tool + "list").output, HasSubstr("office\tFront Desk\tAcme\tSANE test:1\t"));

  const auto unknown = testing::runTool(tool + "add-sane lobby test:7");
  EXPECT_EQ(unknown.status, 1);
  EXPECT_THAT(unknown.output, HasSubstr("ostrel-device: SANE cannot open test:7: "));
  const auto longName = testing::runTool(tool + "add-sane lobby test:0 --model 'A Model Name Of Twenty'");
  EXPECT_EQ(longName.status, 1);
  EXPECT_THAT(longName.output, HasSubstr("longer than 19 characters"));
  EXPECT_EQ(testing::runTool(tool + "add-sane lobby").status, 2);
  EXPECT_THAT(testing::runTool(tool + "list").output, ::testing::Not(HasSubstr("lobby")));
}

}  // namespace
}  // namespace ostrel::sane
