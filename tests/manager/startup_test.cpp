#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/core/manager_messages.h"
#include "app/core/obx_app.h"
#include "app/core/startup_marker.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::FakeInstallation;
using testing::FakeJob;
using testing::FakeProfiles;
using testing::FakeScanner;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using testing::Journal;
using testing::logMessages;
using testing::tempRoot;

// The marker a manager that still runs, or one that died, has left.
void leaveMarker(const std::string& scannerName) {
  platform::createFolderTree(scannerFolder(scannerName));
  writeStartupMarker(scannerName, true);
}

constexpr const char* kManagerEvent = "{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}";
constexpr const char* kButton3Kind2 = "{556b9163-dd64-11d7-aafb-0050ba1aca6f}";

class Startup : public ::testing::Test {
 protected:
  Startup() : scanner(journal), profiles(journal), job(journal), installation(journal) {}

  COBXApp makeApp() {
    return COBXApp({scanner, profiles, job, installation,
                    [this](std::chrono::milliseconds pause) { waits.push_back(pause); }});
  }
  // As the button daemon starts the program: one quoted argument.
  CommandLine line(const std::string& event) const {
    return commandLineOf({"/opt/ostrel/OBX", "/StiDevice:" + scanner.device + " /StiEvent:" + event});
  }
  std::string marker() const { return startupMarkerPath(scanner.name); }
  std::string markerValue() const {
    return platform::GetPrivateProfileString("1", "Startup", "absent", marker());
  }

  Journal journal;
  FakeScanner scanner;
  FakeProfiles profiles;
  FakeJob job;
  FakeInstallation installation;
  std::vector<std::chrono::milliseconds> waits;
};

TEST_F(Startup, ManagerEventTakesTheMarkerLoadsEverythingAndClearsTheMarkerAtExit) {
  COBXApp app = makeApp();
  ASSERT_TRUE(app.start(line(kManagerEvent)).runManager);
  EXPECT_EQ(markerValue(), "1");
  EXPECT_EQ(app.pendingEventCode(), 0);
  EXPECT_THAT(journal, ElementsAre("findDriver usb:04c5:1", "queryAbilities",
                                   "loadRecognitionEngine", "createOrLoad 9"));
  EXPECT_EQ(profiles.loadedFolder, tempRoot() + "/appdata/Ostrel/Heron/");
  EXPECT_THAT(logMessages(),
              ElementsAre(line(kManagerEvent).text, "Ostrel Start Up...", "Load ABBYY engine."));
  app.finish();
  EXPECT_EQ(markerValue(), "0");
  EXPECT_EQ(journal.back(), "release");
}

TEST_F(Startup, ButtonEventWithoutManagerBecomesThePendingEvent) {
  scanner.buttons = 6;
  COBXApp app = makeApp();
  ASSERT_TRUE(app.start(line(kButton3Kind2)).runManager);
  EXPECT_EQ(app.pendingEventCode(), 13);
  EXPECT_EQ(journal.back(), "createOrLoad 6");
}

TEST_F(Startup, InvalidCommandLineAndUnknownScannerEndBeforeTheMarkerAndSayWhy) {
  COBXApp app = makeApp();
  const StartResult invalid = app.start(commandLineOf({"/opt/ostrel/OBX", "/StiDevice:" + scanner.device}));
  COBXApp other = makeApp();
  const StartResult unknown = other.start(
      commandLineOf({"/opt/ostrel/OBX", "/StiDevice:usb:9", "/StiEvent:" + std::string(kManagerEvent)}));
  app.finish();
  other.finish();
  EXPECT_FALSE(std::filesystem::exists(marker()));
  const auto log = logMessages();
  EXPECT_THAT(log, IsSupersetOf({"Ostrel exits due to invalid command line.",
                                 "Ostrel exits due to no scanner matched."}));

  EXPECT_FALSE(invalid.runManager);
  EXPECT_EQ(invalid.exitStatus, COBXApp::kInvalidCommandLine);
  EXPECT_THAT(invalid.error, HasSubstr("OBX: invalid command line: \"/StiDevice:DEVICE\" needs a blank"));
  EXPECT_THAT(invalid.error, HasSubstr("Try \"OBX --help\"."));
  EXPECT_EQ(invalid.output, "");
  EXPECT_EQ(unknown.exitStatus, COBXApp::kNoScannerMatched);
  EXPECT_THAT(unknown.error, HasSubstr("OBX: no scanner is registered as \"usb:9\""));
  EXPECT_NE(COBXApp::kInvalidCommandLine, 0);
  EXPECT_NE(COBXApp::kNoScannerMatched, 0);
}

TEST_F(Startup, HelpPrintsTheUsageAndAStrayArgumentIsRefused) {
  COBXApp help = makeApp();
  const StartResult helped = help.start(commandLineOf({"/opt/ostrel/OBX", "--help"}));
  EXPECT_FALSE(helped.runManager);
  EXPECT_EQ(helped.exitStatus, 0);
  EXPECT_EQ(helped.output, usageText("OBX"));
  EXPECT_EQ(helped.error, "");

  COBXApp stray = makeApp();
  const StartResult refused = stray.start(commandLineOf({"/opt/ostrel/OBX", "foo"}));
  EXPECT_FALSE(refused.runManager);
  EXPECT_EQ(refused.exitStatus, COBXApp::kInvalidCommandLine);
  EXPECT_THAT(refused.error, HasSubstr("unknown argument \"foo\""));
  // Neither starts a manager for every scanner.
  EXPECT_TRUE(journal.empty());
  EXPECT_THAT(logMessages(), ElementsAre("/opt/ostrel/OBX --help", "Ostrel Start Up...",
                                         "Ostrel shows its usage and exits.", "/opt/ostrel/OBX foo",
                                         "Ostrel Start Up...", "Ostrel exits due to invalid command line."));
}

TEST_F(Startup, FailedScannerSetUpGivesTheMarkerBackAndCreatesNoProfiles) {
  scanner.abilitiesLoad = false;
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line(kManagerEvent)).runManager);
  EXPECT_EQ(logMessages().back(), "Ostrel exit due to setup scanner failed.");
  EXPECT_EQ(journal.back(), "queryAbilities");
  app.finish();
  EXPECT_EQ(markerValue(), "0");
}

class StartupWithManager : public Startup {
 protected:
  StartupWithManager() : listener(platform::ManagerListener::listen("Heron")) {
    leaveMarker("Heron");
  }
  platform::ManagerListener listener;
};

TEST_F(StartupWithManager, ButtonEventIsForwardedWithButtonAndKind) {
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line(kButton3Kind2)).runManager);
  app.finish();
  EXPECT_EQ(listener.receive(), (platform::ManagerRecord{manager_message::kButtonEvent, 3, 2}));
  EXPECT_TRUE(waits.empty());
  // The marker stays the running manager's.
  EXPECT_EQ(markerValue(), "1");
  const auto log = logMessages();
  EXPECT_THAT(std::vector<std::string>(log.end() - 2, log.end()),
              ElementsAre("Ostrel post a message to the existing OBX.", "Ostrel exit."));
  EXPECT_THAT(journal, ElementsAre("findDriver usb:04c5:1", "release"));
}

TEST_F(StartupWithManager, APressThatFindsTheQueueFullSaysTheManagerIsBusy) {
  // A burst of presses the manager has not caught up with.
  for (int i = 0; i < 100000; ++i) {
    if (platform::postToManager("Heron", {manager_message::kButtonEvent, 1, 1}) != platform::PostResult::Delivered) {
      break;
    }
  }
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line(kButton3Kind2)).runManager);
  const auto log = logMessages();
  EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
              ElementsAre("Ostrel post a message to the existing OBX.",
                          "The existing OBX is busy and takes no more button events for now; this press is dropped.",
                          "Ostrel exit."));
  EXPECT_THAT(log, ::testing::Not(Contains("Ostrel could not reach the existing OBX.")));
}

TEST_F(StartupWithManager, ConfigurationIsForwardedAsButtonZero) {
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line("Configuration")).runManager);
  EXPECT_EQ(listener.receive(), (platform::ManagerRecord{manager_message::kButtonEvent, 0, 2}));
}

TEST_F(StartupWithManager, ManagerEventEndsAtOnce) {
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line(kManagerEvent)).runManager);
  EXPECT_EQ(logMessages().back(), "Ostrel exits due to other application existing.");
  EXPECT_EQ(listener.receive(), std::nullopt);
}

TEST_F(StartupWithManager, UnknownEventSendsTheExitCommand) {
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line("{00000000-0000-0000-0000-000000000000}")).runManager);
  app.finish();
  EXPECT_EQ(listener.receive(),
            (platform::ManagerRecord{manager_message::kCommand, manager_message::kExitCommand, 0}));
  const auto log = logMessages();
  EXPECT_THAT(std::vector<std::string>(log.end() - 2, log.end()),
              ElementsAre("Ostrel close the existing OBX.", "Ostrel exits."));
  EXPECT_EQ(markerValue(), "1");
}

TEST_F(Startup, StaleMarkerIsSearchedFifteenTimesThenTakenOver) {
  leaveMarker("Heron");
  COBXApp app = makeApp();
  EXPECT_TRUE(app.start(line(kButton3Kind2)).runManager);
  EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>(15, std::chrono::milliseconds(200)));
  EXPECT_EQ(app.pendingEventCode(), 13);
  app.finish();
  EXPECT_EQ(markerValue(), "0");
}

// A marker of 10 MB: its own key first, then line upon line of others.
void leaveHugeMarker(const std::string& scannerName, const char* startup) {
  std::string text = std::string("[1]\r\nStartup=") + startup + "\r\n";
  char line[32];
  for (int i = 0; text.size() < 10'000'000; ++i) {
    std::snprintf(line, sizeof line, "Pad%07d=0\r\n", i);
    text += line;
  }
  testing::writeFile(startupMarkerPath(scannerName), text);
}

TEST_F(Startup, AHugeStaleMarkerIsReadFromItsHeadAndCutDown) {
  leaveHugeMarker("Heron", "1");
  COBXApp app = makeApp();
  EXPECT_TRUE(app.start(line(kButton3Kind2)).runManager);
  EXPECT_EQ(waits.size(), 15u);  // it still says a manager runs
  EXPECT_EQ(app.pendingEventCode(), 13);
  EXPECT_LE(std::filesystem::file_size(marker()), 65536u);
  EXPECT_THAT(logMessages(), Contains(HasSubstr("Startup.txt is larger than")));
  app.finish();
  EXPECT_EQ(markerValue(), "0");
  EXPECT_EQ(platform::GetPrivateProfileString("1", "Pad0000000", "absent", marker()), "0");
}

TEST_F(Startup, AHugeMarkerSayingNoManagerIsTakenAtOnce) {
  leaveHugeMarker("Heron", "0");
  COBXApp app = makeApp();
  EXPECT_TRUE(app.start(line(kManagerEvent)).runManager);
  EXPECT_TRUE(waits.empty());
  EXPECT_EQ(markerValue(), "1");
  EXPECT_LE(std::filesystem::file_size(marker()), 65536u);
}

TEST_F(Startup, UnknownEventWithoutManagerLeavesTheMarkerAtZero) {
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(line("nonsense")).runManager);
  app.finish();
  EXPECT_EQ(markerValue(), "0");
}

TEST_F(Startup, ACopyThatLosesTheRaceForTheSocketForwardsItsEvent) {
  COBXApp app = makeApp();
  ASSERT_TRUE(app.start(line(kButton3Kind2)).runManager);
  // Another copy became the manager in the meantime.
  auto winner = platform::ManagerListener::listen("Heron");
  auto mine = app.claimManagerSocket();
  EXPECT_EQ(mine.state(), platform::ManagerListener::State::ManagerRunning);
  EXPECT_EQ(winner.receive(), (platform::ManagerRecord{manager_message::kButtonEvent, 3, 2}));
  app.finish();
  // The marker belongs to the winner now.
  EXPECT_EQ(markerValue(), "1");
  const auto log = logMessages();
  EXPECT_THAT(std::vector<std::string>(log.end() - 2, log.end()),
              ElementsAre("Ostrel post a message to the existing OBX.", "Ostrel exit."));
}

TEST_F(Startup, AManagerStartThatLosesTheRaceEndsAsWhenTheManagerWasFound) {
  COBXApp app = makeApp();
  ASSERT_TRUE(app.start(line(kManagerEvent)).runManager);
  auto winner = platform::ManagerListener::listen("Heron");
  EXPECT_EQ(app.claimManagerSocket().state(), platform::ManagerListener::State::ManagerRunning);
  EXPECT_EQ(winner.receive(), std::nullopt);
  EXPECT_EQ(logMessages().back(), "Ostrel exits due to other application existing.");
}

TEST_F(Startup, ScannerNamesStayInsideTheDataFolder) {
  for (const char* name : {"../..", "..", ".", "", "a/../../b", "50%APPDATA%"}) {
    const std::filesystem::path folder = scannerFolder(name);
    const std::filesystem::path parent = tempRoot() + "/appdata/Ostrel";
    EXPECT_EQ(folder.parent_path().parent_path(), parent) << name;
  }
  EXPECT_EQ(scannerFolder("Heron"), tempRoot() + "/appdata/Ostrel/Heron/");
}

TEST_F(Startup, LineBreaksInTheCommandLineStayOnOneLogLine) {
  COBXApp app = makeApp();
  EXPECT_FALSE(app.start(commandLineOf({"OBX", "/StiDevice:x\r\n2026-01-01 00:00:00(0001) ->[] forged"})).runManager);
  EXPECT_EQ(logMessages().front(), "OBX /StiDevice:x  2026-01-01 00:00:00(0001) ->[] forged");
}

TEST_F(Startup, InstallationFormsLogTheirLines) {
  struct Case {
    std::vector<std::string> words;
    std::vector<std::string> lines;
    std::string task;
  };
  const std::vector<Case> cases = {
      {{"OBX", "-closeobx"}, {"Ostrel exit."}, "cleanUpBeforeRemoval"},
      {{"OBX", "/ProductCode:{12345678-1234-1234-1234-123456789012}"},
       {"Ostrel exit."},
       "registerAfterInstall {12345678-1234-1234-1234-123456789012}"},
      {{"OBX", "/Configure"},
       {"Ostrel is searching for valid scanners...", "Ostrel exit."},
       "startAllConfigurations"},
      {{"OBX"}, {"Ostrel is searching for valid scanners...", "Ostrel exit"}, "startAllManagers"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(tempRoot() + "/appdata/Ostrel");
    journal.clear();
    COBXApp app = makeApp();
    const CommandLine commandLine = commandLineOf(c.words);
    const StartResult result = app.start(commandLine);
    EXPECT_FALSE(result.runManager);
    EXPECT_EQ(result.exitStatus, 0);
    std::vector<std::string> expected = {commandLine.text, "Ostrel Start Up..."};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(logMessages(), expected);
    EXPECT_THAT(journal, ElementsAre(c.task));
  }
}

}  // namespace
}  // namespace ostrel
