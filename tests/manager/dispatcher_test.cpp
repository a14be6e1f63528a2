#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/button_dispatcher.h"
#include "app/core/job_notice.h"
#include "app/core/manager_messages.h"
#include "tests/manager/log_reader.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;

class Dispatch : public ::testing::Test {
 protected:
  Dispatch()
      : scanner(journal),
        profiles(journal),
        job(journal),
        session(journal, scanner),
        configuration(journal),
        cloud(journal),
        about(journal),
        prompt(journal),
        fax(journal),
        panel(journal),
        messages(dialogs),
        dispatcher({scanner, profiles, job, session, jobs, messages, configuration, cloud, about,
                    prompt, fax, panel}) {}

  Journal journal;
  FakeScanner scanner;
  FakeProfiles profiles;
  FakeJob job;
  FakeSession session;
  InlineJobRunner jobs;
  FakeConfiguration configuration;
  FakeCloudAccount cloud;
  FakeAbout about;
  FakePrompt prompt;
  FakeFax fax;
  FakePanel panel;
  RecordingUserInterface dialogs;
  HeldMessages messages;
  ButtonDispatcher dispatcher;
};

TEST_F(Dispatch, APressScansIntoTheJobAndFinishesIt) {
  profiles.configure(2, "/usr/bin/gimp");
  dispatcher.onButtonEvent(2, 1);
  EXPECT_THAT(journal, ElementsAre("balloon Scan Images with Button 2", "StartOutput 2",
                                   "writeDriverSettings 2", "scan 2 side -1",
                                   "HandlePage 10 side 0", "FinishOutput"));
  EXPECT_THAT(logMessages(), ElementsAre("Button 2 is clicked."));
  EXPECT_EQ(dispatcher.currentButton(), 2);
  EXPECT_EQ(panel.progress, (std::vector<int>{0, 1}));
  EXPECT_EQ(panel.progressEnds, 1);
}

TEST_F(Dispatch, AButtonWithoutDestinationOpensTheConfigurationForIt) {
  dispatcher.onButtonEvent(3, 1);
  EXPECT_THAT(journal, ElementsAre("configure 3", "refresh"));
  EXPECT_THAT(logMessages(), ElementsAre("Button 3 is clicked.", "OBX is Configuring....",
                                         "OBX Configuration finished."));
}

TEST_F(Dispatch, ButtonZeroOpensTheConfigurationFromTheMenu) {
  profiles.configure(1, "PRINT");
  dispatcher.onButtonEvent(0, 2);
  EXPECT_THAT(journal, ElementsAre("configure 0", "refresh"));
  EXPECT_THAT(logMessages(), ElementsAre("OBX is Configuring.....", "OBX Configuration finished."));
}

TEST_F(Dispatch, ButtonsBeyondTheScannersCountOnlyLog) {
  scanner.buttons = 6;
  profiles.configure(7, "PRINT");
  dispatcher.onButtonEvent(7, 1);
  dispatcher.PressButton(-1);
  EXPECT_TRUE(journal.empty());
  EXPECT_THAT(logMessages(), ElementsAre("Button 7 is clicked.", "Button -1 is clicked."));
}

TEST_F(Dispatch, APressWhileTheScannerIsBusyIsDropped) {
  profiles.configure(1, "PRINT");
  scanner.isBusy = true;
  dispatcher.onButtonEvent(1, 1);
  EXPECT_TRUE(journal.empty());
  EXPECT_THAT(logMessages(),
              ElementsAre("Button 1 is clicked.",
                          "Job is canceled due to the scanner is doing with another job."));
}

TEST_F(Dispatch, APressDuringAnotherPressIsDroppedEvenOutsideTheScan) {
  profiles.configure(1, "FAX");
  profiles.configure(2, "PRINT");
  // The second press arrives while the first one's job is being finished.
  session.duringScan = [&] {
    scanner.isBusy = false;
    dispatcher.onButtonEvent(2, 1);
  };
  dispatcher.onButtonEvent(1, 1);
  EXPECT_THAT(journal, ::testing::Not(Contains("StartOutput 2")));
  EXPECT_THAT(logMessages(),
              Contains("Job is canceled due to the scanner is doing with another job."));
  EXPECT_EQ(journal.back(), "FinishOutput");
}

TEST_F(Dispatch, AFailedStartOrCloudLoginEndsThePressBeforeScanning) {
  profiles.configure(1, "PRINT");
  job.startResult = 0;
  dispatcher.onButtonEvent(1, 1);
  job.startResult = 1;
  job.failedLogin = true;
  dispatcher.onButtonEvent(1, 1);
  EXPECT_THAT(journal, ElementsAre("balloon Scan Images with Button 1", "StartOutput 1",
                                   "balloon Scan Images with Button 1", "StartOutput 1"));
}

TEST_F(Dispatch, CloudButtonWithoutCredentialsAsksForThemFirst) {
  CButtonSetting& button = profiles.configure(4, "GOOGLE");
  button.account = "someone";
  dispatcher.onButtonEvent(4, 1);
  EXPECT_THAT(journal, ElementsAre("cloud account 4"));

  journal.clear();
  cloud.answer = "FolderID::abc";
  dispatcher.onButtonEvent(4, 1);
  EXPECT_EQ(button.id, "FolderID::abc");
  EXPECT_EQ(journal.front(), "cloud account 4");
  EXPECT_EQ(journal.back(), "FinishOutput");

  journal.clear();
  button.password = "secret";
  dispatcher.onButtonEvent(4, 1);
  EXPECT_EQ(journal.front(), "balloon Scan Images with Button 4");
}

TEST_F(Dispatch, MorePagesRepeatsTheScanUntilFinish) {
  profiles.configure(1, "PRINT").morePages = 1;
  prompt.answers = {true, true, false};
  dispatcher.onButtonEvent(1, 1);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "scan 1 side -1"), 3);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "StartOutput 1"), 1);
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "ask more pages"), 3);
  EXPECT_EQ(journal.back(), "FinishOutput");
}

TEST_F(Dispatch, AButtonPressedDuringThePromptMeansMorePages) {
  profiles.configure(1, "PRINT").morePages = 1;
  profiles.configure(5, "PRINT");
  int prompts = 0;
  prompt.whileOpen = [&] {
    if (++prompts == 1) dispatcher.onButtonEvent(5, 2);
  };
  dispatcher.onButtonEvent(1, 1);
  EXPECT_THAT(journal,
              ElementsAre("balloon Scan Images with Button 1", "StartOutput 1",
                          "writeDriverSettings 1", "scan 1 side -1", "HandlePage 10 side 0",
                          "ask more pages", "prompt OK", "writeDriverSettings 1", "scan 1 side -1",
                          "HandlePage 10 side 0", "ask more pages", "FinishOutput"));
  // The press that answered the prompt is not logged as a press of its own.
  EXPECT_THAT(logMessages(), ElementsAre("Button 1 is clicked."));
}

TEST_F(Dispatch, WhatTheJobReportsIsLoggedAtOnceAndShownOnlyOnceTheJobHasEnded) {
  profiles.configure(1, "PRINT");
  job.duringPage = [&] {
    messages.showMessage("A scanned page cannot be saved; the scan stops.", MessageKind::Error);
    messages.showMessage("No device found", MessageKind::Information);
    messages.showMessage("A scanned page cannot be saved; the scan stops.", MessageKind::Error);
    journal.push_back("reported");
  };
  dispatcher.onButtonEvent(1, 1);
  EXPECT_THAT(journal, ElementsAre("balloon Scan Images with Button 1", "StartOutput 1",
                                   "writeDriverSettings 1", "scan 1 side -1", "HandlePage 10 side 0",
                                   "reported", "FinishOutput",
                                   "box A scanned page cannot be saved; the scan stops.\n\nNo device found"));
  EXPECT_THAT(logMessages(), ElementsAre("Button 1 is clicked.", "A scanned page cannot be saved; the scan stops.",
                                         "No device found", "A scanned page cannot be saved; the scan stops."));
  EXPECT_TRUE(dialogs.messages.empty());

  // Shown once: the next job starts with nothing held.
  journal.clear();
  job.duringPage = nullptr;
  dispatcher.onButtonEvent(1, 1);
  EXPECT_EQ(journal.back(), "FinishOutput");
}

TEST_F(Dispatch, AJobThatEndsWithTheManagerOnlyLogsWhatItReports) {
  profiles.configure(1, "PRINT");
  job.duringPage = [&] {
    dispatcher.exit();
    messages.showMessage("The output file cannot be created.", MessageKind::Error);
  };
  dispatcher.onButtonEvent(1, 1);
  EXPECT_EQ(journal.back(), "end run");
  EXPECT_THAT(journal, ::testing::Not(Contains(::testing::StartsWith("box "))));
  EXPECT_THAT(logMessages(), Contains("The output file cannot be created."));
}

TEST_F(Dispatch, TheEndOfAJobThatScannedNamesItsFilesAndAnEmptyFeederSaysSo) {
  profiles.configure(1, "PRINT").morePages = 1;
  job.files = {"/home/u/Scans/Scan0000.pdf", "/home/u/Scans/Scan0001.pdf"};
  session.end = PassEnd::noPaper;  // every pass: the scanner found no page after all
  prompt.answers = {true, false};
  dispatcher.onButtonEvent(1, 1);
  EXPECT_THAT(journal, Contains("balloon There is no paper in the feeder to scan."));
  ASSERT_EQ(panel.notices.size(), 1u);
  EXPECT_EQ(panel.notices[0].first, "2 files saved\n/home/u/Scans\nClick here to open the folder.");
  EXPECT_EQ(panel.notices[0].second, "/home/u/Scans");

  // A job that did not start scans nothing and has nothing to tell.
  job.startResult = 0;
  dispatcher.onButtonEvent(1, 1);
  EXPECT_EQ(panel.notices.size(), 1u);
  EXPECT_EQ(panel.progressEnds, 2);
}

TEST(JobNotice, OneFileIsNamedSeveralAreCountedAndNoneHasNoFolder) {
  const LocalizedText texts("/nonexistent/ResourceSetting.ini");
  const JobNotice one = jobNotice({"/home/u/Documents/Ostrel/Scan0000.pdf"}, texts);
  EXPECT_EQ(one.text, "Saved: Scan0000.pdf\n/home/u/Documents/Ostrel\nClick here to open the folder.");
  EXPECT_EQ(one.folder, "/home/u/Documents/Ostrel");
  const JobNotice batches = jobNotice({"/a/2024/Scan0001.jpg", "/b/Scan0002.jpg", "/b/Scan0003.jpg"}, texts);
  EXPECT_TRUE(batches.text.starts_with("3 files saved\n/b\n"));
  EXPECT_EQ(batches.folder, "/b");
  const JobNotice none = jobNotice({}, texts);
  EXPECT_EQ(none.text, "The scan job wrote no file.");
  EXPECT_EQ(none.folder, "");
}

TEST(HeldMessages, QuestionsGoStraightToTheDialogsAndTheGravestKindWins) {
  RecordingUserInterface dialogs;
  dialogs.folderAnswers = {"/scans"};
  HeldMessages messages(dialogs);
  EXPECT_EQ(messages.browseForFolder("Choose the path:", "/home"), "/scans");
  EXPECT_EQ(messages.askSaveName({}), std::nullopt);
  EXPECT_EQ(dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(messages.take(), std::nullopt);
  messages.showMessage("Login failed.", MessageKind::Warning);
  messages.showMessage("Drovel.dll is missing.", MessageKind::Information);
  const auto held = messages.take();
  ASSERT_TRUE(held);
  EXPECT_EQ(held->text, "Login failed.\n\nDrovel.dll is missing.");
  EXPECT_EQ(held->kind, MessageKind::Warning);
  EXPECT_EQ(messages.take(), std::nullopt);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Dispatch, SideSelectorFollowsTheEventKindWhenTheModelHasOne) {
  profiles.configure(1, "PRINT");
  dispatcher.onButtonEvent(1, 2);
  EXPECT_EQ(scanner.side, -1);
  scanner.side = 0;
  dispatcher.onButtonEvent(1, 2);
  EXPECT_EQ(scanner.side, 2);
  dispatcher.onTitleClicked(1);
  EXPECT_EQ(scanner.side, 0);
  EXPECT_THAT(journal, Contains("scan 1 side 2"));
}

TEST_F(Dispatch, ExitClosesTheOpenDialogStopsTheFaxAndEndsTheRun) {
  fax.running = true;
  configuration.whileOpen = [&] { dispatcher.exit(); };
  dispatcher.openConfiguration(0);
  EXPECT_THAT(journal, ElementsAre("configure 0", "remove icon", "close configuration", "stop fax",
                                   "end run", "refresh"));
  journal.clear();
  fax.running = false;
  dispatcher.exit();
  EXPECT_THAT(journal, ElementsAre("remove icon", "end run"));
}

TEST_F(Dispatch, TheAboutBoxIsTheOpenDialogWhileItShows) {
  about.whileOpen = [&] { dispatcher.exit(); };
  dispatcher.showAbout();
  EXPECT_THAT(journal, ElementsAre("about", "remove icon", "close about", "end run"));
}

TEST_F(Dispatch, AScannerThatIsGoneEndsTheManager) {
  dispatcher.onDeviceListChanged();
  EXPECT_THAT(journal, ElementsAre("isPresent"));
  scanner.present = false;
  dispatcher.onDeviceListChanged();
  EXPECT_THAT(journal, ElementsAre("isPresent", "isPresent", "remove icon", "end run"));
}

TEST_F(Dispatch, ManagerMessagesAreCheckedBeforeTheyAct) {
  profiles.configure(2, "PRINT");
  dispatcher.onManagerMessage(manager_message::kButtonEvent, 2, 1);
  EXPECT_EQ(journal.back(), "FinishOutput");
  journal.clear();
  dispatcher.onManagerMessage(manager_message::kButtonEvent, 2, 7);
  dispatcher.onManagerMessage(manager_message::kButtonEvent, 12, 1);
  dispatcher.onManagerMessage(manager_message::kCommand, 32771, 0);
  dispatcher.onManagerMessage(0x0401, 0, 0);
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(logMessages().size(), 5u);
  dispatcher.onManagerMessage(manager_message::kCommand, manager_message::kExitCommand, 0);
  EXPECT_THAT(journal, ElementsAre("remove icon", "end run"));
}

// What a button daemon's action waits on: every event handled is counted, and
// a job shows as running from its press until its end, also while another
// press is refused meanwhile.
TEST(DispatchState, EventsAreCountedAndAJobRunsFromItsPressToItsEnd) {
  Journal journal;
  FakeScanner scanner(journal);
  FakeProfiles profiles(journal);
  FakeJob job(journal);
  FakeSession session(journal, scanner);
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  FakeAbout about(journal);
  FakePrompt prompt(journal);
  FakeFax fax(journal);
  FakePanel panel(journal);
  RecordingUserInterface dialogs;
  HeldMessages messages(dialogs);
  ReportQueue reports;
  WorkerJobRunner jobs(reports.poster());
  ButtonDispatcher dispatcher(
      {scanner, profiles, job, session, jobs, messages, configuration, cloud, about, prompt, fax, panel});
  std::vector<std::pair<int, bool>> states;
  dispatcher.setStateObserver([&](int events, bool running) { states.emplace_back(events, running); });
  profiles.configure(2, "/usr/bin/gimp");

  dispatcher.onButtonEvent(2, 1);
  dispatcher.onButtonEvent(2, 1);  // refused: the job of the first press runs
  ASSERT_TRUE(reports.runUntil([&] { return states.size() == 3; }));
  jobs.stopAndWait();
  dispatcher.onButtonEvent(0, 1);  // the configuration: no job
  EXPECT_THAT(states, ElementsAre(std::pair{1, true}, std::pair{2, true}, std::pair{2, false}, std::pair{3, false}));
  EXPECT_THAT(logMessages(), Contains("Job is canceled due to the scanner is doing with another job."));
}

}  // namespace
}  // namespace ostrel
