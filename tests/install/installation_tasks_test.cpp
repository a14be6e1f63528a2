// The four one-shot tasks in the test's temporary home, against the registry
// store, the user's folders and real OBX managers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "app/core/installation_tasks.h"
#include "platform/environment.h"
#include "platform/manager_channel.h"
#include "platform/registry_store.h"
#include "scanners/protocol/imaging_devices.h"
#include "tests/manager/obx_processes.h"
#include "tests/sane/sane_test_backend.h"
#include "tests/support/recording_program.h"
#include "tests/support/temp_home.h"

namespace ostrel::testing {
namespace {

namespace fs = std::filesystem;
using platform::Hive;
using platform::RegistryKey;

std::string dataFolder() { return tempRoot() + "/appdata/Ostrel"; }
std::string scanbdFolder() { return tempRoot() + "/scanbd"; }

// The maker's two scanners and one of another vendor.
void registerThreeScanners() {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:0001", "Scanner A"));
  ASSERT_TRUE(addVirtualScanner("usb:04c5:0002", "Scanner B"));
  ASSERT_TRUE(addVirtualScanner("usb:1234:0003", "Other Scanner", {"--vendor", "Acme"}));
}

InstallationParts partsWith(const std::string& program) {
  InstallationParts parts{program, binDir(), scanbdFolder()};
  parts.closeDeadline = std::chrono::seconds(10);
  return parts;
}

std::multiset<std::string> startedWith(const RecordingProgram& program, std::size_t count) {
  std::multiset<std::string> lines;
  for (const ProgramRun& run : program.waitForRuns(count)) {
    std::string line;
    for (const std::string& argument : run.arguments) line += (line.empty() ? "" : "|") + argument;
    lines.insert(line);
  }
  return lines;
}

std::vector<std::string> asideFolders() {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(tempRoot() + "/appdata")) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("Ostrel.before-")) found.push_back(entry.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

TEST(StartAllTasks, StartOneCopyPerScannerOfTheMakerAndRegisterNewSaneScannersFirst) {
  registerThreeScanners();
  useSaneTestBackend();  // two SANE test scanners, not registered yet
  RecordingProgram program(tempRoot() + "/OBX");
  LinuxInstallationTasks tasks(partsWith(program.path()));

  tasks.startAllManagers();

  const std::string manager = " /StiEvent:{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}";
  EXPECT_EQ(startedWith(program, 4),
            (std::multiset<std::string>{"/StiDevice:usb:04c5:0001" + manager, "/StiDevice:usb:04c5:0002" + manager,
                                        "/StiDevice:test:0" + manager, "/StiDevice:test:1" + manager}));
  // Two scanners of one model get two names: each name is a manager of its own.
  std::set<std::string> names;
  for (const ImagingDevice& device : listImagingDevices().devices) names.insert(device.description);
  EXPECT_EQ(names.size(), 5u);

  // The next login registers nothing again.
  RecordingProgram again(tempRoot() + "/OBX2");
  LinuxInstallationTasks(partsWith(again.path())).startAllManagers();
  EXPECT_EQ(again.waitForRuns(4).size(), 4u);
  EXPECT_EQ(listImagingDevices().devices.size(), 5u);
}

TEST(StartAllTasks, StartEveryConfigurationOfTheMaker) {
  registerThreeScanners();
  RecordingProgram program(tempRoot() + "/OBX");
  LinuxInstallationTasks(partsWith(program.path())).startAllConfigurations();
  EXPECT_EQ(startedWith(program, 2),
            (std::multiset<std::string>{"/StiDevice:usb:04c5:0001 /StiEvent:Configuration",
                                        "/StiDevice:usb:04c5:0002 /StiEvent:Configuration"}));
}

TEST(StartAllTasks, NoScannerIsLogged) {
  RecordingProgram program(tempRoot() + "/OBX");
  LinuxInstallationTasks(partsWith(program.path())).startAllConfigurations();
  EXPECT_TRUE(program.runs().empty());
  EXPECT_TRUE(logHas("Ostrel found no scanner of Norvane."));
}

TEST(RegisterAfterInstall, WithAnEmptyProductCodeWritesTheAutostartEntryAndMovesTheDataFolderAside) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:0001", "Scanner A"));
  writeFile(dataFolder() + "/Scanner A/ButtonSetting.ini", "[1]\r\nTitle=My own button\r\n");
  writeFile(dataFolder() + "/OBX-2026-01.log", "an old log\r\n");
  const std::string program = tempRoot() + "/my programs/OBX";

  LinuxInstallationTasks(partsWith(program)).registerAfterInstall("");

  const std::string entry = readFile(tempRoot() + "/home/.config/autostart/ostrel.desktop");
  EXPECT_NE(entry.find("Exec=\"" + program + "\"\n"), std::string::npos) << entry;
  EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
  EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, kUninstallKey));

  // The user's work is kept aside, the next start begins fresh.
  const auto aside = asideFolders();
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(readFile(aside[0] + "/Scanner A/ButtonSetting.ini"), "[1]\r\nTitle=My own button\r\n");
  EXPECT_EQ(readFile(aside[0] + "/OBX-2026-01.log"), "an old log\r\n");
  EXPECT_FALSE(fs::exists(dataFolder() + "/Scanner A"));
  // The registered scanner still finds its driver.
  EXPECT_TRUE(fs::exists(listImagingDevices().devices.at(0).driverPath));

  // A second registration in the same second keeps both earlier states.
  writeFile(dataFolder() + "/Scanner A/ButtonSetting.ini", "[1]\r\nTitle=Second\r\n");
  LinuxInstallationTasks(partsWith(program)).registerAfterInstall("");
  const auto both = asideFolders();
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(readFile(both[0] + "/Scanner A/ButtonSetting.ini") + readFile(both[1] + "/Scanner A/ButtonSetting.ini"),
            "[1]\r\nTitle=My own button\r\n[1]\r\nTitle=Second\r\n");
}

TEST(RegisterAfterInstall, WithAProductCodeRecordsTheUninstallValues) {
  const std::string code = "{11111111-2222-3333-4444-555555555555}";
  LinuxInstallationTasks(partsWith("/usr/lib/ostrel/OBX")).registerAfterInstall(code);
  const auto key = RegistryKey::open(Hive::LocalMachine, std::string(kUninstallKey) + "\\" + code);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->value("DisplayVersion")->type, platform::RegistryType::ExpandString);
  EXPECT_EQ(key->text("DisplayVersion"), "2.1.8");
  EXPECT_EQ(key->text("Publisher"), "Norvane");
  EXPECT_EQ(key->text("DisplayIcon"), "/usr/lib/ostrel/OBX,0");
}

TEST(DesktopEntry, QuotesWhatTheLauncherWouldSplitOrExpand) {
  EXPECT_NE(desktopEntry("Ostrel", "/usr/bin/obx", {"/Configure"}).find("\nExec=/usr/bin/obx /Configure\n"),
            std::string::npos);
  EXPECT_NE(desktopEntry("Ostrel", "/opt/100% \"x\"/OBX", {}).find("\nExec=\"/opt/100%% \\\\\"x\\\\\"/OBX\"\n"),
            std::string::npos);
}

class ScanbdHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(tempRoot() + "/program/scanbd/ostrel.conf", "device ostrel { }\n");
  }
  ScanbdHook hook() const { return {scanbdFolder(), tempRoot() + "/program"}; }
  const std::string conf = "global { debug = false }\ninclude(scanner.d/avision.conf)";
};

TEST_F(ScanbdHookTest, IsAddedOnceAndRemovedWithoutTouchingTheRest) {
  writeFile(scanbdFolder() + "/scanbd.conf", conf);
  EXPECT_EQ(hook().install(), HookResult::Done);
  EXPECT_EQ(hook().install(), HookResult::Done);
  EXPECT_EQ(readFile(scanbdFolder() + "/scanbd.conf"), conf + "\ninclude(scanner.d/ostrel.conf)\n");
  EXPECT_EQ(readFile(scanbdFolder() + "/scanner.d/ostrel.conf"), "device ostrel { }\n");

  EXPECT_EQ(hook().remove(), HookResult::Done);
  EXPECT_EQ(readFile(scanbdFolder() + "/scanbd.conf"), conf + "\n");
  EXPECT_FALSE(fs::exists(scanbdFolder() + "/scanner.d/ostrel.conf"));
}

TEST_F(ScanbdHookTest, IsLeftOutWhereScanbdIsNotConfiguredOrNothingIsShipped) {
  EXPECT_EQ(hook().install(), HookResult::NotConfigured);
  EXPECT_FALSE(fs::exists(scanbdFolder()));
  writeFile(scanbdFolder() + "/scanbd.conf", conf);
  EXPECT_EQ((ScanbdHook{scanbdFolder(), tempRoot() + "/nothing"}.install()), HookResult::NothingShipped);
  EXPECT_EQ(readFile(scanbdFolder() + "/scanbd.conf"), conf);
}

TEST_F(ScanbdHookTest, ThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  // A file where the snippet's folder belongs stops root as well as anyone.
  writeFile(scanbdFolder() + "/scanbd.conf", conf);
  writeFile(scanbdFolder() + "/scanner.d", "not a folder");
  EXPECT_EQ(hook().install(), HookResult::CannotWrite);
  EXPECT_EQ(readFile(scanbdFolder() + "/scanbd.conf"), conf);
}

TEST(CleanUpBeforeRemoval, RemovesTheRegistrationsAndTheDataFolderButNothingALinkPointsTo) {
  const std::string program = tempRoot() + "/OBX";
  writeFile(tempRoot() + "/program/scanbd/ostrel.conf", "device ostrel { }\n");
  writeFile(scanbdFolder() + "/scanbd.conf", "global { }\n");
  InstallationParts parts{program, tempRoot() + "/program", scanbdFolder()};
  LinuxInstallationTasks tasks(parts);
  tasks.registerAfterInstall("");
  ASSERT_TRUE(fs::exists(autostartEntryPath()));
  ASSERT_TRUE(fs::exists(scanbdFolder() + "/scanner.d/ostrel.conf"));

  // Two event registrations of ours, one of another program.
  for (const char* id : {"{AAAAAAAA-0000-0000-0000-000000000001}", "{AAAAAAAA-0000-0000-0000-000000000002}",
                         "{BBBBBBBB-0000-0000-0000-000000000003}"}) {
    const bool ours = id[1] == 'A';
    RegistryKey::create(Hive::LocalMachine, std::string(kStiProxyEventKey) + "\\" + id)
        ->setString("Name", ours ? "ostrel" : "Other");
    RegistryKey::create(Hive::LocalMachine, std::string(kClassIdKey) + "\\" + id + "\\LocalServer32")
        ->setString("", "x");
  }
  // Outside the tree: a folder and a file that links inside point to.
  writeFile(tempRoot() + "/outside/keep.txt", "mine");
  writeFile(dataFolder() + "/Scanner A/ScanSetting.ini", "[0]\r\n");
  fs::create_directory_symlink(tempRoot() + "/outside", dataFolder() + "/Scanner A/linked folder");
  fs::create_symlink(tempRoot() + "/outside/keep.txt", dataFolder() + "/linked file");

  tasks.cleanUpBeforeRemoval();

  EXPECT_FALSE(fs::exists(autostartEntryPath()));
  EXPECT_FALSE(fs::exists(scanbdFolder() + "/scanner.d/ostrel.conf"));
  EXPECT_EQ(readFile(scanbdFolder() + "/scanbd.conf"), "global { }\n");
  const auto events = RegistryKey::open(Hive::LocalMachine, kStiProxyEventKey);
  ASSERT_TRUE(events);
  EXPECT_EQ(events->subkeyAt(0), "{BBBBBBBB-0000-0000-0000-000000000003}");
  EXPECT_FALSE(events->subkeyAt(1));
  EXPECT_FALSE(RegistryKey::open(Hive::LocalMachine, std::string(kClassIdKey) + "\\{AAAAAAAA-0000-0000-0000-000000000002}"));
  EXPECT_TRUE(RegistryKey::open(Hive::LocalMachine, std::string(kClassIdKey) + "\\{BBBBBBBB-0000-0000-0000-000000000003}"));
  EXPECT_FALSE(fs::exists(dataFolder() + "/Scanner A"));
  EXPECT_EQ(readFile(tempRoot() + "/outside/keep.txt"), "mine");
}

TEST(CleanUpBeforeRemoval, ClosesRunningManagersThroughTheProgramsCommandLine) {
  ASSERT_TRUE(addVirtualScanner("usb:04c5:0001", "Scanner A"));
  ASSERT_TRUE(addVirtualScanner("usb:04c5:0002", "Scanner B"));
  ChildProcess first = startManager("usb:04c5:0001", "Scanner A");
  ChildProcess second = startManager("usb:04c5:0002", "Scanner B");
  // The program's own clean-up looks for scanbd here, never in /etc.
  ::setenv("OSTREL_SCANBD_DIR", scanbdFolder().c_str(), 1);

  const auto begin = std::chrono::steady_clock::now();
  EXPECT_EQ(ChildProcess::run({obx(), "-closeobx"}, std::chrono::seconds(30)), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(10));

  EXPECT_TRUE(first.wait(std::chrono::seconds(10)).has_value());
  EXPECT_TRUE(second.wait(std::chrono::seconds(10)).has_value());
  EXPECT_FALSE(platform::findManager("Scanner A"));
  EXPECT_TRUE(logHas("Ostrel exit."));
}

TEST(CleanUpBeforeRemoval, GivesUpOnAManagerThatNeverClosesAndLogsIt) {
  // A model name longer than start-up reads: its manager goes by the first 19 characters.
  RegistryKey::create(Hive::LocalMachine, imagingDeviceKeyPath(0))->setString("Vendor", "NORVANE");
  RegistryKey::open(Hive::LocalMachine, imagingDeviceKeyPath(0))->setString("DriverDesc", "Scanner A with a long model");
  // Answers on the scanner's socket and never reads what is posted.
  auto deaf = platform::ManagerListener::listen("Scanner A with a lo");
  ASSERT_EQ(deaf.state(), platform::ManagerListener::State::Listening);
  InstallationParts parts = partsWith(tempRoot() + "/OBX");
  parts.closeDeadline = std::chrono::milliseconds(600);
  LinuxInstallationTasks tasks(parts);

  const auto begin = std::chrono::steady_clock::now();
  tasks.cleanUpBeforeRemoval();
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
  EXPECT_EQ(tasks.managersLeftRunning(), std::vector<std::string>{"Scanner A with a lo"});
  EXPECT_TRUE(logHas("The manager of Scanner A with a lo did not close within 0.6 s; it is left running."));
}

}  // namespace
}  // namespace ostrel::testing
