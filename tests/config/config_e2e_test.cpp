// A new user's first configuration, with real processes on a private X server:
// the manager of a virtual scanner opens its configuration for the
// Configuration event; easy mode renames button 1 and points it at another
// destination, with keys only; the next press of the button uses it.
#include <gmock/gmock.h>

#include <string>
#include <thread>

#include "app/settings/scanner_folder.h"
#include "platform/ini_file.h"
#include "platform/shell_execute.h"
#include "tests/manager/obx_processes.h"
#include "tests/support/recording_program.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/x_display.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using namespace std::chrono_literals;

constexpr const char* kDevice = "usb:04c5:1301";
constexpr const char* kModel = "Tern";

std::string out(const std::string& folder) { return tempRoot() + "/out/" + folder + "/"; }

// xdotool with the given arguments; its standard output.
std::optional<std::string> xdotool(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), platform::findOnPath("xdotool"));
  const Finished finished = ChildProcess::runCapturing(arguments, 30s);
  if (finished.status != 0) return std::nullopt;
  return finished.output;
}

// Waits for a visible window with exactly this title and gives it the
// keyboard; its window id.
std::optional<std::string> focusWindow(const std::string& title) {
  auto found = xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"});
  if (!found || found->empty()) return std::nullopt;
  std::string id = found->substr(0, found->find('\n'));
  if (!xdotool({"windowfocus", "--sync", id})) return std::nullopt;
  std::this_thread::sleep_for(300ms);  // the toolkit takes the focus change in
  return id;
}

bool keys(const std::vector<std::string>& names) {
  std::vector<std::string> arguments{"key", "--delay", "60"};
  arguments.insert(arguments.end(), names.begin(), names.end());
  return xdotool(arguments).has_value();
}

bool type(const std::string& text) { return xdotool({"type", "--delay", "40", text}).has_value(); }

TEST(ConfigurationByKeyboard, EasyModeRenamesAButtonAndItsNextPressUsesTheNewDestination) {
  if (platform::findOnPath("xdotool").empty()) GTEST_SKIP() << "xdotool is not installed";
  XDisplay display;
  if (!display.started()) GTEST_SKIP() << "Xvfb could not start a private X server here";
  const ScopedEnvironment x("DISPLAY", display.display());
  const ScopedEnvironment platform("QT_QPA_PLATFORM", "xcb");

  RecordingProgram viewer(tempRoot() + "/bin/viewer");
  const std::string folder = scannerFolder(kModel);
  writeFile(folder + "/ScanSetting.ini", "[0]\r\nValid=1\r\nTitle=Grey\r\nResolution=100\r\nScanMode=1\r\n");
  writeFile(folder + "/ApplicationSetting.ini",
            "[0]\r\nValid=1\r\nTitle=Storage\r\nPath=\r\nImageFormatCheck=127\r\nDefaultFormat=64\r\n"
            "[1]\r\nValid=1\r\nTitle=Viewer\r\nPath=" + viewer.path() +
                "\r\nImageFormatCheck=66\r\nDefaultFormat=2\r\nDefaultFolder=" + out("viewer") + "\r\n");
  writeFile(folder + "/ButtonSetting.ini",
            "[1]\r\nTitle=Store\r\nScanSetting=Grey\r\nApplicationSetting=Storage\r\nImageFolder=" + out("store") +
                "\r\nFileFormat=64\r\n");
  ASSERT_TRUE(addVirtualScanner(kDevice, kModel, {"--generate", "1"}));
  ChildProcess manager = startManager(kDevice, kModel);

  ASSERT_EQ(sendEvent(kDevice, "Configuration"), 0);
  ASSERT_TRUE(focusWindow("Ostrel Configuration")) << "the configuration window did not show";
  ASSERT_TRUE(keys({"alt+n"}));  // &Next, easy mode, button 1

  ASSERT_TRUE(focusWindow("Ostrel Easy Configuration")) << "the easy dialog did not show";
  ASSERT_TRUE(keys({"ctrl+a"}));  // the name field has the focus
  ASSERT_TRUE(type("Invoices"));
  ASSERT_TRUE(keys({"Tab", "Down"}));  // the destination list: Storage, then Viewer
  ASSERT_TRUE(keys({"Return"}));       // Finish
  ASSERT_TRUE(eventually([] { return logHas("OBX Configuration finished."); }, 20s));

  const std::string buttons = folder + "/ButtonSetting.ini";
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Title", "", buttons), "Invoices");
  EXPECT_EQ(platform::GetPrivateProfileString("1", "ApplicationSetting", "", buttons), "Viewer");
  EXPECT_EQ(platform::GetPrivateProfileString("1", "ImageFolder", "", buttons), out("viewer"));
  EXPECT_EQ(platform::GetPrivateProfileString("1", "FileFormat", "", buttons), "2");

  ASSERT_EQ(sendEvent(kDevice, buttonEvent(1)), 0);
  const std::vector<ProgramRun> runs = viewer.waitForRuns(1, 60s);
  ASSERT_EQ(runs.size(), 1u) << "the press did not start the new destination";
  ASSERT_FALSE(runs[0].arguments.empty());
  EXPECT_THAT(runs[0].arguments[0], ::testing::StartsWith(out("viewer")));
}

}  // namespace
}  // namespace ostrel
