// A real scanbd, in the foreground with a configuration of its own, polls our
// SANE test backend and runs the action script Ostrel ships for a sensor that
// turns on: the button's files are written, and scanbd takes the scanner back
// only once the scan has ended.
#include <gmock/gmock.h>
#include <grp.h>
#include <pwd.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "tests/buttons/sensor_scanner.h"
#include "tests/manager/obx_processes.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using namespace std::chrono_literals;

constexpr const char* kScanbd = "/usr/sbin/scanbd";

std::string userName() {
  const passwd* user = ::getpwuid(::getuid());
  return user ? user->pw_name : "";
}

std::string groupName() {
  const group* entry = ::getgrgid(::getgid());
  return entry ? entry->gr_name : "";
}

// The shipped action script beside its settings in scanbd's script folder;
// scanbd hands its scripts a bare environment, so the settings carry the test
// home's.
std::string installScript(const SensorScanner& scanner) {
  const std::string folder = tempRoot() + "/scanbd/scripts";
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(sourceDir() + "/dist/scanbd/ostrel-scanbd-action", folder + "/ostrel-scanbd-action");
  std::string environment;
  for (const char* name : {"HOME", "APPDATA", "OSTREL_REGISTRY", "XDG_RUNTIME_DIR", "LD_LIBRARY_PATH"}) {
    const char* value = std::getenv(name);
    environment += std::string(environment.empty() ? "" : " ") + name + "=" + (value ? value : "");
  }
  environment += " SANE_CONFIG_DIR=" + scanner.folder() + " QT_QPA_PLATFORM=offscreen";
  writeFile(folder + "/ostrel-scanbd.conf", "OSTREL_PROGRAM_FOLDER='" + binDir() + "'\nOSTREL_DESKTOP_USER='" +
                                                userName() + "'\nOSTREL_ENVIRONMENT='" + environment + "'\n");
  return folder;
}

// scanbd's configuration: its own user, a fast poll, and the shipped snippet's
// device section.
std::string writeConfiguration(const std::string& scripts) {
  const std::string folder = tempRoot() + "/scanbd";
  const std::string text = "global {\n"
                           "  debug = true\n"
                           "  debug-level = 2\n"
                           "  user = " + userName() + "\n"
                           "  group = " + groupName() + "\n"
                           "  saned = \"/usr/sbin/saned\"\n"
                           "  scriptdir = \"" + scripts + "\"\n"
                           "  timeout = 100\n"
                           "  pidfile = \"" + folder + "/scanbd.pid\"\n"
                           "  environment {\n"
                           "    device = \"SCANBD_DEVICE\"\n"
                           "    action = \"SCANBD_ACTION\"\n"
                           "  }\n"
                           "  multiple_actions = true\n"
                           "}\n"
                           "include(\"" + sourceDir() + "/dist/scanbd/ostrel.conf\")\n";
  return writeFile(folder + "/scanbd.conf", text);
}

bool scanbdPolls(const SensorScanner& scanner) {
  const auto log = scanner.log();
  return std::any_of(log.begin(), log.end(),
                     [](const BackendEvent& e) { return e.program == "scanbd" && e.event == "sensor"; });
}

TEST(Scanbd, RunsTheShippedActionForASensorAndWaitsForTheScanToEnd) {
  if (::access(kScanbd, X_OK) != 0) GTEST_SKIP() << "scanbd is not installed (package scanbd)";
  SensorScanner scanner({"pages 2", "page-delay-ms 400"});
  ASSERT_TRUE(registerOffice());
  storageButton(4, "four");
  // scanbd reads the sensors; copy stands for button 4 here.
  ASSERT_EQ(ChildProcess::run({binDir() + "/ostrel-device", "sensors", kSensorDevice, "--source", "scanbd", "--map",
                               "copy=4"}),
            0);
  const std::string configuration = writeConfiguration(installScript(scanner));
  const std::string output = tempRoot() + "/scanbd/output.txt";
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT, 0644);
  ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  ChildProcess scanbd = ChildProcess::start({kScanbd, "-f", "-c", configuration}, &actions);
  ::posix_spawn_file_actions_destroy(&actions);
  ASSERT_TRUE(scanbd.started());
  if (!eventually([&] { return scanbdPolls(scanner); }, 10s)) {
    GTEST_SKIP() << "scanbd does not start polling here: " << readFile(output);
  }

  scanner.set("copy", 1);
  ASSERT_TRUE(eventually([] { return jobsFinished(4) == 1; }, 60s)) << logText() << readFile(output);
  EXPECT_EQ(filesIn(outFolder("four")), (std::vector<std::string>{"Scan0000.jpg", "Scan0001.jpg"}));
  EXPECT_TRUE(logHas("The scanner's buttons reach Ostrel through scanbd (button source scanbd)."));
  ASSERT_TRUE(eventually([&] {
    const auto log = scanner.log();
    return !log.empty() && log.back().program == "scanbd" && log.back().event == "sensor";
  }));

  // scanbd let go, the manager scanned, and only then did scanbd open again.
  const std::vector<BackendEvent> log = scanner.log();
  const auto firstPage = std::find_if(log.begin(), log.end(), [](const BackendEvent& e) { return e.detail == "page 1"; });
  ASSERT_NE(firstPage, log.end());
  EXPECT_EQ(firstPage->program, "OBX");
  const auto scanClose = std::find_if(firstPage, log.end(), [](const BackendEvent& e) { return e.event == "close"; });
  ASSERT_NE(scanClose, log.end());
  EXPECT_EQ(scanClose->program, "OBX");
  const auto scanbdAgain = std::find_if(log.begin(), log.end(), [&](const BackendEvent& e) {
    return e.program == "scanbd" && e.event == "open" && e.ms > firstPage->ms - 1;
  });
  ASSERT_NE(scanbdAgain, log.end());
  EXPECT_GT(scanbdAgain - log.begin(), scanClose - log.begin());
  EXPECT_THAT(log, ::testing::Not(::testing::Contains(::testing::Field(&BackendEvent::event, "busy"))));

  // The manager the action started is not this test's child: ask it to end.
  EXPECT_EQ(sendEvent(kSensorDevice, kUnknownEvent), 0);
  EXPECT_TRUE(eventually([] { return !platform::findManager(kSensorModel); }));
}

}  // namespace
}  // namespace ostrel
