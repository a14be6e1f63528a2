#include "app/scan/scanner_config.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/activity_log.h"
#include "scanners/protocol/imaging_devices.h"
#include "platform/ini_file.h"
#include "platform/registry_store.h"
#include "tests/support/temp_home.h"
#include "scanners/ostrel-device/device_registration.h"

namespace ostrel {
namespace {

using platform::GetPrivateProfileInt;
using platform::GetPrivateProfileString;
using platform::Hive;
using platform::RegistryKey;
using virtualscanner::VirtualDevice;

std::string driverLibrary() { return testing::binDir() + "/libnvdriver.so"; }

void registerKey(int index, const std::string& deviceId, const std::string& description,
                 const std::string& driverPath) {
  auto key = RegistryKey::create(Hive::LocalMachine, imagingDeviceKeyPath(index));
  ASSERT_TRUE(key);
  key->setString("DeviceID", deviceId);
  key->setString("DriverDesc", description);
  key->setString("DRIVERPATH", driverPath);
}

// A configuration for a virtual device registered the way ostrel-device does it.
ScannerConfig virtualScanner(const VirtualDevice& device, const std::string& id = "vdev") {
  const auto outcome = devicetool::addVirtualDevice(id, device, driverLibrary());
  EXPECT_TRUE(outcome.ok) << outcome.message;
  ScannerConfig config;
  EXPECT_EQ(config.FindDriver(id), 1);
  return config;
}

VirtualDevice device(const std::string& model) {
  VirtualDevice d;
  d.model = model;
  return d;
}

std::string todaysLog() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return testing::readFile(ActivityLog::folder() + logFileName(local));
}

TEST(FindDriver, MatchesTheDeviceIdentifierAcrossKeys) {
  const std::string driverFolder = testing::tempRoot() + "/driver";
  testing::writeFile(driverFolder + "/scanner.ini", "[DS]\r\nSAVEPATH=/var/lib/driver\r\n");
  registerKey(0, "USB\\VID_1", "Other", "/nowhere/lib.so");
  registerKey(2, "USB\\VID_2", "A model name longer than twenty", driverFolder + "/libdriver.so");
  registerKey(3, "USB\\VID_2", "Shadowed", "/nowhere/lib.so");

  ScannerConfig config;
  EXPECT_EQ(config.FindDriver("USB\\VID_2"), 1);
  EXPECT_EQ(config.modelName, "A model name longer");  // 19 characters
  EXPECT_EQ(config.driverPath, driverFolder + "/libdriver.so");
  EXPECT_EQ(config.scanIniPath, "/var/lib/driver/nvscan32.ini");
  EXPECT_EQ(config.loadIniPath, "/var/lib/driver/devaru.ini");

  // A key without its identifier is no match for an empty device name.
  ASSERT_TRUE(RegistryKey::create(Hive::LocalMachine, imagingDeviceKeyPath(1)));
  ScannerConfig unmatched;
  EXPECT_EQ(unmatched.FindDriver(""), 0);
  EXPECT_EQ(unmatched.FindDriver("usb\\vid_2"), 0);
  EXPECT_EQ(unmatched.FindDriver("USB\\VID_3"), 0);
  EXPECT_EQ(unmatched.modelName, "");
}

// Changes the working folder until the end of the scope.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::filesystem::path& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
  }
  ~WorkingFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

TEST(FindDriver, WithoutSavePathTheSettingsGoIntoTheScannersOwnFolder) {
  registerKey(0, "dev", "Tern", testing::tempRoot() + "/no-driver/lib.so");
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("dev"), 1);
  const std::string folder = testing::tempRoot() + "/appdata/Ostrel/Tern/";
  EXPECT_EQ(config.scanIniPath, folder + "nvscan32.ini");
  EXPECT_EQ(config.loadIniPath, folder + "devaru.ini");

  // Written from wherever the program was started, the files land there too.
  const std::string startedFrom = testing::tempRoot() + "/started-from";
  const WorkingFolder working(startedFrom);
  CScanSetting scan;
  CButtonSetting button;
  button.scanSetting = &scan;
  config.WriteDriverSettings(button);
  EXPECT_EQ(GetPrivateProfileString("1", "ScanSource", "missing", folder + "devaru.ini"), "2");
  EXPECT_EQ(GetPrivateProfileString("1", "ScanSource", "missing", folder + "nvscan32.ini"), "2");
  EXPECT_TRUE(std::filesystem::is_empty(startedFrom));
}

TEST(QueryScannerAbilities, FeederOnlyScannerTakesTheFeederArea) {
  VirtualDevice tern = device("Tern");
  tern.feederWidth = 2592;
  tern.feederLength = 4200;
  tern.flatbedWidth = tern.flatbedLength = 0;
  ScannerConfig config = virtualScanner(tern);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  EXPECT_TRUE(config.hasFeeder);
  EXPECT_FALSE(config.hasFlatbed);
  EXPECT_FALSE(config.hasDuplex);
  EXPECT_FALSE(config.hasUltrasonic);
  EXPECT_TRUE(config.feedsCentred);
  EXPECT_EQ(config.maxWidth, 2592);
  EXPECT_EQ(config.maxLength, 4200);
  EXPECT_EQ(config.buttonCount, 6);
  EXPECT_EQ(config.sideSelector, -1);
}

TEST(QueryScannerAbilities, FlatbedAndFeederTakeTheLargerOfEachSide) {
  VirtualDevice both = device("Heron");
  both.flatbed = true;
  both.duplex = true;
  both.ultrasonic = true;
  both.flatbedWidth = 2600;
  both.flatbedLength = 3508;
  both.feederWidth = 2550;
  both.feederLength = 4200;
  ScannerConfig config = virtualScanner(both);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  EXPECT_TRUE(config.hasFeeder && config.hasFlatbed && config.hasDuplex && config.hasUltrasonic);
  EXPECT_EQ(config.maxWidth, 2600);
  EXPECT_EQ(config.maxLength, 4200);
  EXPECT_EQ(config.buttonCount, 9);
  EXPECT_EQ(config.sideSelector, 0);
}

TEST(QueryScannerAbilities, FlatbedOnlyScanner) {
  VirtualDevice flatbed = device("Egret");
  flatbed.feeder = false;
  flatbed.flatbed = true;
  flatbed.flatbedWidth = 2550;
  flatbed.flatbedLength = 3508;
  ScannerConfig config = virtualScanner(flatbed);
  ASSERT_EQ(config.QueryScannerAbilities(), 1);
  EXPECT_FALSE(config.hasFeeder);
  EXPECT_FALSE(config.feedsCentred);
  EXPECT_EQ(config.maxWidth, 2550);
  EXPECT_EQ(config.maxLength, 3508);
  EXPECT_EQ(config.sideSelector, 0);
}

TEST(QueryScannerAbilities, MissingLibraryKeepsTheDefaults) {
  registerKey(0, "dev", "Tern", testing::tempRoot() + "/missing/libnvdriver.so");
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("dev"), 1);
  EXPECT_EQ(config.QueryScannerAbilities(), 0);
  EXPECT_FALSE(config.hasFeeder || config.hasFlatbed || config.hasDuplex);
  EXPECT_EQ(config.maxWidth, 0);
  EXPECT_EQ(config.maxLength, 0);
  EXPECT_EQ(config.buttonCount, 9);
  EXPECT_EQ(config.sideSelector, -1);
}

TEST(QueryScannerAbilities, ADeviceWithoutDriverPathHasNoLibrary) {
  registerKey(0, "dev", "Tern", "");
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("dev"), 1);
  EXPECT_EQ(config.QueryScannerAbilities(), 0);
  EXPECT_EQ(config.buttonCount, 9);
}

TEST(QueryScannerAbilities, ALibraryWithoutTheDriverFunctionsIsNotCalled) {
  // A library that loads but is no scanner driver: the TWAIN source manager.
  registerKey(0, "dev", "Tern", testing::binDir() + "/libostreldsm.so");
  ScannerConfig config;
  ASSERT_EQ(config.FindDriver("dev"), 1);
  config.maxWidth = 77;
  EXPECT_EQ(config.QueryScannerAbilities(), 1);
  EXPECT_EQ(config.maxWidth, 77);
  EXPECT_EQ(config.buttonCount, 6);
  EXPECT_NE(todaysLog().find("lacks one of its functions"), std::string::npos);
}

TEST(QueryScannerAbilities, FailedInitialisationKeepsTheAbilities) {
  ScannerConfig config = virtualScanner(device("Tern"));
  std::filesystem::remove(std::filesystem::path(config.driverPath).parent_path() / "virtualscanner.ini");
  config.maxWidth = 77;
  EXPECT_EQ(config.QueryScannerAbilities(), 1);
  EXPECT_EQ(config.maxWidth, 77);
  EXPECT_FALSE(config.hasFeeder);
  EXPECT_EQ(config.buttonCount, 6);
}

class DriverSettingsTest : public ::testing::Test {
 protected:
  DriverSettingsTest() {
    config.loadIniPath = testing::tempRoot() + "/driver/devaru.ini";
    config.scanIniPath = testing::tempRoot() + "/driver/nvscan32.ini";
    std::filesystem::create_directories(testing::tempRoot() + "/driver");
    config.hasFeeder = true;
    button.scanSetting = &scan;
  }

  // The value in both files; "missing" when a file lacks the key.
  std::string value(const char* key) const {
    const std::string load = GetPrivateProfileString("1", key, "missing", config.loadIniPath);
    const std::string other = GetPrivateProfileString("1", key, "missing", config.scanIniPath);
    EXPECT_EQ(load, other) << key;
    return load;
  }
  std::string write() {
    config.WriteDriverSettings(button);
    return value("ScanMode");
  }

  ScannerConfig config;
  CScanSetting scan;
  CButtonSetting button;
};

TEST_F(DriverSettingsTest, ScanModeMaskBySideAndMode) {
  const struct { int mode, side; const char* mask; } cases[] = {
      {0, 0, "1"}, {0, 2, "3"}, {1, 0, "4"}, {1, 2, "12"}, {2, 0, "16"}, {2, 2, "48"}, {3, 0, "64"}, {3, 2, "192"}};
  for (const auto& c : cases) {
    scan.scanMode = c.mode;
    scan.scanSide = c.side;
    EXPECT_EQ(write(), c.mask) << c.mode << "," << c.side;
  }
  scan.scanSide = 1;  // no mask for this side: the previous one stays
  EXPECT_EQ(write(), "192");
}

TEST_F(DriverSettingsTest, ScanSourceFollowsTheAbilities) {
  config.hasFlatbed = true;
  write();
  EXPECT_EQ(value("ScanSource"), "0");
  config.hasFlatbed = false;
  write();
  EXPECT_EQ(value("ScanSource"), "1");
  config.hasFeeder = false;
  write();
  EXPECT_EQ(value("ScanSource"), "2");
}

TEST_F(DriverSettingsTest, ColourEnhancementThenNoDropoutLeavesTintara) {
  scan.dropout = 4;
  scan.scanMode = 1;
  scan.scanSide = 2;
  scan.filterValue = 25;
  write();
  for (auto [key, expected] : {std::pair{"FGDropColor", "3"}, {"RGDropColor", "3"}, {"FBDropColor", "0"},
                               {"RBDropColor", "0"}, {"FBAdvanceProcess", "0"}, {"RBAdvanceProcess", "0"},
                               {"FGAdvanceProcess", "1"}, {"RGAdvanceProcess", "1"},
                               {"FGFilterThreshold", "25"}, {"RGFilterThreshold", "25"},
                               {"FBFilterThreshold", "missing"}, {"FBBinaryProcess", "missing"},
                               {"Tintara", "1"}}) {
    EXPECT_EQ(value(key), expected) << key;
  }
  const auto keys = platform::GetPrivateProfileKeyNames("1", config.scanIniPath);
  EXPECT_EQ(std::find(keys.begin(), keys.end(), "Tintara") - std::find(keys.begin(), keys.end(), "RGFilterThreshold"), 1);

  scan.dropout = 0;
  write();
  EXPECT_EQ(value("Tintara"), "1");
  EXPECT_EQ(value("FGAdvanceProcess"), "0");
  EXPECT_EQ(value("RGAdvanceProcess"), "0");
}

TEST_F(DriverSettingsTest, ColourEnhancementRowsBySideAndMode) {
  // Drop colours FG RG FB RB, then advance processing FB RB FG RG, then the
  // thresholds written; every case starts from files without these keys.
  const struct {
    int mode, side;
    const char* values;
    const char* thresholds;
  } rows[] = {
      {0, 0, "00301000", "FB"},
      {0, 2, "00331100", "FB RB"},
      {1, 0, "30000010", "FG"},
      {1, 2, "33000011", "FG RG"},
  };
  const char* keys[] = {"FGDropColor",      "RGDropColor",      "FBDropColor",
                        "RBDropColor",      "FBAdvanceProcess", "RBAdvanceProcess",
                        "FGAdvanceProcess", "RGAdvanceProcess"};
  scan.dropout = 4;
  scan.filterValue = 31;
  for (const auto& row : rows) {
    std::filesystem::remove(config.loadIniPath);
    std::filesystem::remove(config.scanIniPath);
    scan.scanMode = row.mode;
    scan.scanSide = row.side;
    write();
    for (int i = 0; i < 8; ++i) {
      EXPECT_EQ(value(keys[i]), std::string(1, row.values[i])) << keys[i] << " " << row.thresholds;
    }
    for (const char* side : {"FB", "RB", "FG", "RG"}) {
      const bool written = std::string_view(row.thresholds).find(side) != std::string_view::npos;
      EXPECT_EQ(value((std::string(side) + "FilterThreshold").c_str()), written ? "31" : "missing")
          << side << " " << row.thresholds;
    }
    EXPECT_EQ(value("Tintara"), "1");
  }
}

TEST_F(DriverSettingsTest, BlackAndWhiteEnhancementClearsBinaryProcessing) {
  scan.dropout = 4;
  scan.scanMode = 0;
  scan.scanSide = 0;
  write();
  EXPECT_EQ(value("FBDropColor"), "3");
  EXPECT_EQ(value("RBDropColor"), "0");
  EXPECT_EQ(value("FBAdvanceProcess"), "1");
  EXPECT_EQ(value("FBFilterThreshold"), "18");
  EXPECT_EQ(value("RBFilterThreshold"), "missing");
  EXPECT_EQ(value("FBBinaryProcess"), "0");
  EXPECT_EQ(value("RBBinaryProcess"), "0");
}

TEST_F(DriverSettingsTest, CustomDropoutWritesTheColour) {
  scan.dropout = 5;
  scan.dropRed = 10;
  scan.dropGreen = 20;
  scan.dropBlue = 30;
  write();
  for (const char* side : {"FG", "RG", "FB", "RB"}) {
    const std::string prefix(side);
    EXPECT_EQ(value((prefix + "DropColor").c_str()), "4");
    EXPECT_EQ(value((prefix + "DropR").c_str()), "10");
    EXPECT_EQ(value((prefix + "DropG").c_str()), "20");
    EXPECT_EQ(value((prefix + "DropB").c_str()), "30");
  }
  EXPECT_EQ(value("FBAdvanceProcess"), "0");
  EXPECT_EQ(value("Tintara"), "missing");
}

TEST_F(DriverSettingsTest, DoubleFeedDetectionByUltrasoundOrLength) {
  scan.lengthCheck = 1;
  write();
  EXPECT_EQ(value("Limit Length"), "1");
  EXPECT_EQ(value("PAPERLENGTH"), "0");
  EXPECT_EQ(value("Ultrasonic"), "missing");
  scan.lengthCheck = 0;
  write();
  EXPECT_EQ(value("PAPERLENGTH"), "32768");

  config.hasUltrasonic = true;
  scan.lengthCheck = 1;
  write();
  EXPECT_EQ(value("Ultrasonic"), "1");
  EXPECT_EQ(value("PAPERLENGTH"), "32768");  // untouched
}

TEST_F(DriverSettingsTest, DespeckleContinueAndSound) {
  scan.checkDespeckle = 1;
  scan.despeckleNum = 3;
  scan.despeckleRange = 2;
  scan.continueScan = 0;
  scan.audio = 1;
  write();
  EXPECT_EQ(value("NoiseNumber"), "3");
  EXPECT_EQ(value("NoiseRadius"), "2");
  EXPECT_EQ(value("Continue Scan"), "0");
  EXPECT_NE(value("PlaySound"), "");

  scan.scanMode = 1;  // despeckling is for black and white only
  scan.audio = 0;
  write();
  EXPECT_EQ(value("NoiseNumber"), "0");
  EXPECT_EQ(value("PlaySound"), "");
}

TEST_F(DriverSettingsTest, ButtonWithoutScanProfileWritesNothing) {
  button.scanSetting = nullptr;
  EXPECT_EQ(config.WriteDriverSettings(button), 0);
  EXPECT_FALSE(std::filesystem::exists(config.scanIniPath));
}

TEST(IsScannerPresent, AnswersFromTheDeviceList) {
  ScannerConfig config;
  config.modelName = "Tern";
  config.busy = true;
  EXPECT_EQ(config.IsScannerPresent(), 1);  // busy counts as present, unchecked
  config.busy = false;

  std::filesystem::remove_all(testing::tempRoot() + "/registry");
  EXPECT_EQ(config.IsScannerPresent(), 0);
  EXPECT_NE(todaysLog().find("No STI device..."), std::string::npos);

  std::filesystem::create_directories(testing::tempRoot() + "/registry");
  EXPECT_EQ(config.IsScannerPresent(), 0);
  EXPECT_NE(todaysLog().find("No STI interface..."), std::string::npos);

  RegistryKey::create(Hive::LocalMachine, kImagingDeviceClassKey);
  EXPECT_EQ(config.IsScannerPresent(), 0);
  EXPECT_NE(todaysLog().find("No STI information..."), std::string::npos);

  registerKey(0, "a", "Heron", "");
  EXPECT_EQ(config.IsScannerPresent(), 0);
  registerKey(1, "b", "Tern", "");
  EXPECT_EQ(config.IsScannerPresent(), 1);
}

}  // namespace
}  // namespace ostrel
