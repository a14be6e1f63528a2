// Opening a job's files in the destination program: a recording program of the
// test's own receives the arguments that the Windows splitting of the parameter
// string gives, started detached, once per file or once per output.
#include <gmock/gmock.h>
#include <signal.h>

#include "platform/text.h"
#include "tests/delivery/delivery_fixture.h"
#include "tests/support/recording_program.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
using Arguments = std::vector<std::string>;

class Launching : public DeliveryTestOf<RecordingPrinters> {
 protected:
  Launching() {
    // Folders as users name them: blanks and letters beyond ASCII.
    button.imageFolder = tempRoot() + "/Scans été/with blank";
    destination.path = program.path();
    destination.beforeFix = R"(/p "two words")";
    destination.afterFix = R"(--tag="a b" \"quoted\")";
  }

  // A file of the job's folder.
  std::string file(const std::string& name) const { return platform::joinPath(button.imageFolder, name); }

  static std::vector<Arguments> argumentsOf(const std::vector<ProgramRun>& runs) {
    std::vector<Arguments> all;
    for (const ProgramRun& run : runs) all.push_back(run.arguments);
    return all;
  }

  RecordingProgram program{tempRoot() + "/Program Files/Ünï Viewer/viewer"};
};

TEST_F(Launching, OneStartPerFileWithTheFileQuotedBetweenTheFixes) {
  scan(stack(plainPage(), plainPage()));
  const std::string first = file("Scan0000.jpg");
  const std::string second = file("Scan0001.jpg");
  EXPECT_THAT(argumentsOf(program.waitForRuns(2)),
              UnorderedElementsAre(Arguments{"/p", "two words", first, "--tag=a b", "\"quoted\""},
                                   Arguments{"/p", "two words", second, "--tag=a b", "\"quoted\""}));
  EXPECT_THAT(logMessages(), Contains("Launch File: " + program.path() + R"( /p "two words" ")" + first +
                                      R"(" --tag="a b" \"quoted\")"));
  for (const ProgramRun& run : program.runs()) {
    EXPECT_EQ(run.processGroup, run.pid);
    EXPECT_EQ(run.stdinTarget, "/dev/null");
  }
}

TEST_F(Launching, OneStartForAllFilesOfAnOutputWithSingleEvent) {
  destination.singleEvent = 1;
  scan(stack(plainPage(), plainPage(), plainPage()));
  const std::vector<ProgramRun> runs = program.waitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, (Arguments{"/p", "two words", file("Scan0000.jpg"), file("Scan0001.jpg"),
                                          file("Scan0002.jpg"), "--tag=a b", "\"quoted\""}));
  EXPECT_THAT(logMessages(), Contains("Launch File: " + program.path() + R"( /p "two words" ")" +
                                      file("Scan0000.jpg") + R"(" ")" + file("Scan0001.jpg") + R"(" ")" +
                                      file("Scan0002.jpg") + R"(" --tag="a b" \"quoted\")"));
  // The next output starts its own list.
  scan(stack(plainPage()));
  EXPECT_EQ(program.waitForRuns(2).size(), 2u);
}

TEST_F(Launching, WithoutFixesTheProgramGetsTheFileAlone) {
  destination.beforeFix.clear();
  destination.afterFix.clear();
  button.fileFormat = format::kMultiPdf;
  scan(stack(plainPage(), plainPage()));
  const std::vector<ProgramRun> runs = program.waitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, (Arguments{file("Scan0000.pdf")}));
  EXPECT_THAT(logMessages(), Contains("Launch File: " + program.path() + R"(  ")" + file("Scan0000.pdf") + "\" "));
}

TEST_F(Launching, AProgramThatRunsForAMinuteDoesNotHoldTheJob) {
  RecordingProgram slow(tempRoot() + "/Program Files/slow viewer", {.lingerSeconds = 60});
  destination.path = slow.path();
  const auto before = std::chrono::steady_clock::now();
  scan(stack(plainPage(), plainPage()));
  // Loose bound: the program itself runs for a minute.
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
  const std::vector<ProgramRun> runs = slow.waitForRuns(2);
  ASSERT_EQ(runs.size(), 2u);
  for (const ProgramRun& run : runs) EXPECT_EQ(::kill(run.pid, 0), 0) << "still running";
}

TEST_F(Launching, AProgramThatCannotBeStartedIsLoggedNotShown) {
  destination.path = tempRoot() + "/Program Files/gone/viewer";
  scan(stack(plainPage()));
  const auto log = logMessages();
  EXPECT_THAT(log, Contains(HasSubstr("Launch File: " + destination.path + " /p")));
  EXPECT_THAT(log, Contains("The program cannot be started: " + destination.path + ": No such file or directory."));
  EXPECT_THAT(ui.messages, IsEmpty());

  destination.path = "ostrel-no-such-viewer";
  scan(stack(plainPage()));
  EXPECT_THAT(logMessages(), Contains("The program cannot be started: ostrel-no-such-viewer is not found on PATH."));
  EXPECT_THAT(ui.messages, IsEmpty());
}

TEST_F(Launching, ThePageManagerShowingTheFolderIsStartedWithoutTheFiles) {
  RecordingProgram pageManager(tempRoot() + "/Program Files/NewSoft/prestopm");
  destination.path = pageManager.path();
  windowTitles = {"Terminal", "Presto! PageManager 9 Standard - " + tempRoot() + "/Scans été/with blank"};
  scan(stack(plainPage()));
  ASSERT_EQ(pageManager.waitForRuns(1).size(), 1u);
  EXPECT_THAT(pageManager.runs()[0].arguments, IsEmpty());
  // The log line still shows the parameters the program would have had.
  EXPECT_THAT(logMessages(), Contains(HasSubstr("Launch File: " + pageManager.path() + " /p \"two words\" \"")));

  windowTitles = {"Presto! PageManager 9 Standard - " + tempRoot() + "/elsewhere"};
  scan(stack(plainPage()));
  std::vector<Arguments> all = argumentsOf(pageManager.waitForRuns(2));
  EXPECT_THAT(all, Contains(Arguments{"/p", "two words", file("Scan0001.jpg"), "--tag=a b", "\"quoted\""}));
}

}  // namespace
}  // namespace ostrel
