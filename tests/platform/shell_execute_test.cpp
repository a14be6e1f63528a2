#include "platform/shell_execute.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/recording_program.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_home.h"

namespace ostrel::platform {
namespace {

using ostrel::testing::ProgramRun;
using ostrel::testing::RecordingProgram;
using ostrel::testing::ScopedEnvironment;
using ostrel::testing::tempRoot;
using ostrel::testing::writeFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Arguments = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsRuntimeRules) {
  // The examples of the C runtime's documentation.
  EXPECT_EQ(splitCommandLine(R"("a b c" d e)"), (Arguments{"a b c", "d", "e"}));
  EXPECT_EQ(splitCommandLine(R"("ab\"c" "\\" d)"), (Arguments{R"(ab"c)", R"(\)", "d"}));
  EXPECT_EQ(splitCommandLine(R"(a\\\b d"e f"g h)"), (Arguments{R"(a\\\b)", "de fg", "h"}));
  EXPECT_EQ(splitCommandLine(R"(a\\\"b c d)"), (Arguments{R"(a\"b)", "c", "d"}));
  EXPECT_EQ(splitCommandLine(R"(a\\\\"b c" d e)"), (Arguments{R"(a\\b c)", "d", "e"}));
  EXPECT_EQ(splitCommandLine(R"(a"b"" c d)"), (Arguments{R"(ab" c d)"}));
}

TEST(SplitCommandLine, BlanksQuotesAndEnds) {
  EXPECT_THAT(splitCommandLine(""), IsEmpty());
  EXPECT_THAT(splitCommandLine(" \t  "), IsEmpty());
  EXPECT_EQ(splitCommandLine("\tone  two\t"), (Arguments{"one", "two"}));
  EXPECT_EQ(splitCommandLine(R"(/p "" x)"), (Arguments{"/p", "", "x"}));
  EXPECT_EQ(splitCommandLine(R"("unterminated quote)"), (Arguments{"unterminated quote"}));
  EXPECT_EQ(splitCommandLine(R"(trailing\\)"), (Arguments{R"(trailing\\)"}));
  EXPECT_EQ(splitCommandLine(R"("C:\Scans\")"), (Arguments{R"(C:\Scans")"}));
  // Bytes of other scripts are never blanks, quotes or backslashes.
  EXPECT_EQ(splitCommandLine("\"/tmp/Scans été/Seite 1.jpg\" ünï"),
            (Arguments{"/tmp/Scans été/Seite 1.jpg", "ünï"}));
}

class DetachedStart : public ::testing::Test {
 protected:
  // A folder with blanks and letters beyond ASCII, as users name theirs.
  std::string folder() const { return tempRoot() + "/Program Files/Ünïcode Tools"; }
};

TEST_F(DetachedStart, TheProgramGetsTheArgumentsAndNothingOfTheCaller) {
  RecordingProgram program(folder() + "/recorder");
  // A blocked signal and an inheritable descriptor of the caller must not reach it.
  const int inherited = ::dup2(::open("/dev/null", O_RDONLY), RecordingProgram::kWatchedDescriptor);
  ASSERT_EQ(inherited, RecordingProgram::kWatchedDescriptor);
  sigset_t term, previous;
  ::sigemptyset(&term);
  ::sigaddset(&term, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &term, &previous);

  const Started started = startDetached(program.path(), {"first", "with blank", "", "été"});
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  ::close(inherited);
  ASSERT_EQ(started.state, Started::State::Running) << started.reason;

  const std::vector<ProgramRun> runs = program.waitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  const ProgramRun& run = runs[0];
  EXPECT_EQ(run.arguments, (Arguments{"first", "with blank", "", "été"}));
  EXPECT_NE(run.parent, ::getpid());
  EXPECT_EQ(run.processGroup, run.pid);
  EXPECT_EQ(run.stdinTarget, "/dev/null");
  EXPECT_EQ(run.blockedSignals, "0000000000000000");
  EXPECT_FALSE(run.sawWatchedDescriptor);
  // Nothing is left for the caller to reap.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(DetachedStart, ALingeringProgramDoesNotHoldTheCaller) {
  RecordingProgram program(folder() + "/slow", {.lingerSeconds = 60});
  const auto before = std::chrono::steady_clock::now();
  ASSERT_TRUE(startDetached(program.path(), {"x"}));
  ASSERT_TRUE(startDetached(program.path(), {"y"}, std::chrono::milliseconds(300)));
  // Loose bound: the program runs for a minute.
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));
  EXPECT_EQ(program.waitForRuns(2).size(), 2u);
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(DetachedStart, InputReachesTheProgramOnItsStandardInputOnly) {
  const Started reading = startDetached("sh", {"-c", "read line; test \"$line\" = secret"}, std::chrono::seconds(20),
                                        "secret\n");
  EXPECT_EQ(reading.state, Started::State::Exited);
  EXPECT_EQ(reading.exitCode, 0);
  // A program that never reads its input: the caller survives the closed pipe.
  const Started ignoring = startDetached("true", {}, std::chrono::seconds(20), std::string(4096, 'x'));
  EXPECT_EQ(ignoring.exitCode, 0);
  EXPECT_EQ(startDetached("sh", {"-c", "read line; test -z \"$line\""}, std::chrono::seconds(20)).exitCode, 0);
}

TEST_F(DetachedStart, WaitingGivesTheExitCode) {
  RecordingProgram failing(folder() + "/failing", {.exitCode = 4});
  const Started started = startDetached(failing.path(), {}, std::chrono::seconds(20));
  EXPECT_EQ(started.state, Started::State::Exited);
  EXPECT_EQ(started.exitCode, 4);
  RecordingProgram slow(folder() + "/slow", {.lingerSeconds = 60});
  EXPECT_EQ(startDetached(slow.path(), {}, std::chrono::milliseconds(200)).state, Started::State::Running);
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(DetachedStart, BareNamesAreLookedUpOnPathAndFailuresSayWhy) {
  RecordingProgram program(folder() + "/ostrel-recorder");
  const ScopedEnvironment path("PATH", "relative:" + tempRoot() + "/nothing:" + folder() + ":/usr/bin:/bin");
  ASSERT_TRUE(startDetached("ostrel-recorder", {"on path"}));
  ASSERT_EQ(program.waitForRuns(1).size(), 1u);
  EXPECT_EQ(program.runs()[0].arguments, (Arguments{"on path"}));

  const Started missing = startDetached("ostrel-no-such-program", {});
  EXPECT_EQ(missing.state, Started::State::NotStarted);
  EXPECT_THAT(missing.reason, HasSubstr("not found on PATH"));
  const Started absent = startDetached(folder() + "/absent", {});
  EXPECT_THAT(absent.reason, HasSubstr("No such file"));
  const std::string plain = writeFile(folder() + "/plain", "not a program");
  EXPECT_THAT(startDetached(plain, {}).reason, HasSubstr("Permission denied"));
  EXPECT_THAT(startDetached(folder(), {}).reason, HasSubstr("is a folder"));
}

TEST_F(DetachedStart, DocumentsFoldersAndUrlsGoToXdgOpenAlone) {
  RecordingProgram opener(folder() + "/xdg-open");
  RecordingProgram program(folder() + "/viewer");
  const ScopedEnvironment path("PATH", folder() + ":/usr/bin:/bin");
  const std::string document = writeFile(tempRoot() + "/Scans/Seite 1.pdf", "%PDF-1.4");

  ASSERT_TRUE(shellExecute(document, "/p ignored"));
  ASSERT_TRUE(shellExecute(tempRoot() + "/Scans", ""));
  ASSERT_TRUE(shellExecute("https://example.org/a b", "x"));
  ASSERT_TRUE(shellExecute(program.path(), R"(/p "a b" c)"));

  std::vector<Arguments> opened;
  for (const ProgramRun& run : opener.waitForRuns(3)) opened.push_back(run.arguments);
  EXPECT_THAT(opened, ::testing::UnorderedElementsAre(Arguments{document}, Arguments{tempRoot() + "/Scans"},
                                                      Arguments{"https://example.org/a b"}));
  ASSERT_EQ(program.waitForRuns(1).size(), 1u);
  EXPECT_EQ(program.runs()[0].arguments, (Arguments{"/p", "a b", "c"}));
}

TEST(CaptureOutput, GivesTheOutputOfAProgramThatSucceedsInTime) {
  EXPECT_EQ(captureOutput("echo", {"one", "two"}, std::chrono::seconds(10)), "one two\n");
  EXPECT_EQ(captureOutput("false", {}, std::chrono::seconds(10)), std::nullopt);
  EXPECT_EQ(captureOutput("ostrel-no-such-program", {}, std::chrono::seconds(10)), std::nullopt);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(captureOutput("sleep", {"30"}, std::chrono::milliseconds(200)), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

}  // namespace
}  // namespace ostrel::platform
