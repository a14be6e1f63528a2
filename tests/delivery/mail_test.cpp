// Mail delivery: the job's files move to the outbox and a recording mail command
// (or xdg-email with a recording mail program) gets every one as an attachment;
// the files are still there after the call, since the mail program reads them
// later.
#include <gmock/gmock.h>

#include <ctime>
#include <filesystem>

#include "app/delivery/mail.h"
#include "platform/environment.h"
#include "platform/shell_execute.h"
#include "tests/delivery/delivery_fixture.h"
#include "tests/support/recording_program.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/x_display.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using Arguments = std::vector<std::string>;

// An outbox folder name for a moment some days ago.
std::string stampDaysAgo(int days) {
  const std::time_t when = std::time(nullptr) - days * 24 * 3600;
  std::tm local{};
  ::localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

class Mailing : public DeliveryTestOf<RecordingPrinters> {
 protected:
  Mailing() {
    destination.path = destination::kMail;
    button.fileFormat = format::kJpeg;
  }

  // Every file of every outbox folder, with its folder.
  static std::vector<std::string> outboxFiles() {
    std::vector<std::string> files;
    for (const std::string& folder : folderEntries(outboxFolder())) {
      for (const std::string& name : folderEntries(outboxFolder() + "/" + folder)) {
        files.push_back(outboxFolder() + "/" + folder + "/" + name);
      }
    }
    return files;
  }

  RecordingProgram mailer{tempRoot() + "/Mail Tools/mäiler"};
  ScopedEnvironment command{"OSTREL_MAIL_COMMAND", "\"" + mailer.path() + "\" --compose"};
};

TEST_F(Mailing, EveryFileIsAttachedFromTheOutboxAndStaysThere) {
  scan(stack(plainPage(), plainPage()));
  const std::vector<std::string> attached = outboxFiles();
  ASSERT_EQ(attached.size(), 2u);
  const std::vector<ProgramRun> runs = mailer.waitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].arguments, (Arguments{"--compose", "--attach", attached[0], "--attach", attached[1]}));
  EXPECT_THAT(folderEntries(outboxFolder()), ElementsAre(MatchesRegex("[0-9]{8}-[0-9]{6}")));
  EXPECT_THAT(folderEntries(appFolder("Mail")), IsEmpty());
  EXPECT_THAT(logMessages(), Contains("eMail:" + attached[0] + attached[1]));
  EXPECT_THAT(ui.messages, IsEmpty());

  // A second message gets a folder of its own, also within the same second.
  scan(stack(plainPage()));
  EXPECT_EQ(folderEntries(outboxFolder()).size(), 2u);
  EXPECT_EQ(outboxFiles().size(), 3u);
}

TEST_F(Mailing, OutboxFoldersOlderThanAWeekGoAtTheNextMail) {
  const std::string old = outboxFolder() + "/" + stampDaysAgo(8);
  const std::string recent = outboxFolder() + "/" + stampDaysAgo(6);
  writeFile(old + "/Scan0007.jpg", "sent long ago");
  writeFile(recent + "/Scan0008.jpg", "sent this week");
  writeFile(outboxFolder() + "/notes/keep.txt", "not an outbox folder");
  scan(stack(plainPage()));
  EXPECT_FALSE(std::filesystem::exists(old));
  EXPECT_TRUE(platform::fileExists(recent + "/Scan0008.jpg"));
  EXPECT_TRUE(platform::fileExists(outboxFolder() + "/notes/keep.txt"));
  EXPECT_EQ(mailer.waitForRuns(1).size(), 1u);
}

TEST_F(Mailing, WithoutAMailLauncherTheUserIsToldAndTheFilesStay) {
  const ScopedEnvironment noCommand("OSTREL_MAIL_COMMAND", nullptr);
  const ScopedEnvironment noXdgEmail("PATH", tempRoot() + "/empty");
  scan(stack(plainPage(), plainPage()));
  const std::string missing =
      "xdg-email is missing (package xdg-utils) and OSTREL_MAIL_COMMAND names no mail program.";
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, missing);
  EXPECT_EQ(ui.messages[0].kind, MessageKind::Error);
  EXPECT_THAT(logMessages(), Contains(missing));
  EXPECT_EQ(folderEntries(appFolder("Mail")).size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(outboxFolder()));
}

TEST_F(Mailing, ALauncherThatFailsIsReportedAndTheAttachmentsStay) {
  RecordingProgram failing(tempRoot() + "/Mail Tools/failing", {.exitCode = 4});
  const ScopedEnvironment failingCommand("OSTREL_MAIL_COMMAND", "\"" + failing.path() + "\"");
  scan(stack(plainPage()));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Send Mail failed to send message.");
  EXPECT_THAT(logMessages(), Contains("eMail: 4"));
  EXPECT_EQ(outboxFiles().size(), 1u);

  const ScopedEnvironment missingCommand("OSTREL_MAIL_COMMAND", "\"" + tempRoot() + "/Mail Tools/gone\"");
  scan(stack(plainPage()));
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_THAT(logMessages(), Contains("eMail: " + tempRoot() + "/Mail Tools/gone: No such file or directory"));
  EXPECT_EQ(outboxFiles().size(), 2u);
}

// xdg-email itself, with a desktop whose mail program is a recording one.
TEST_F(Mailing, XdgEmailHandsTheAttachmentsToTheDefaultMailProgram) {
  if (platform::findOnPath("xdg-email").empty()) GTEST_SKIP() << "xdg-email is not installed (package xdg-utils)";
  // Without a desktop xdg-email knows of no mail program but a text browser.
  XDisplay display;
  if (!display.started()) GTEST_SKIP() << "Xvfb cannot be started here";
  const ScopedEnvironment onDisplay("DISPLAY", display.display());
  const ScopedEnvironment noCommand("OSTREL_MAIL_COMMAND", nullptr);
  const ScopedEnvironment noDesktop("XDG_CURRENT_DESKTOP", nullptr);
  const ScopedEnvironment noSession("DESKTOP_SESSION", nullptr);
  const ScopedEnvironment noBrowser("BROWSER", nullptr);
  const std::string home = tempRoot() + "/home";
  // xdg-utils takes the first word of Exec for the program: no blanks in its path.
  RecordingProgram desktopMailer(tempRoot() + "/bin/mailer");
  writeFile(home + "/.local/share/applications/ostrel-mailer.desktop",
            "[Desktop Entry]\nType=Application\nName=Recording Mailer\nIcon=ostrel-test-mail\nExec=" +
                desktopMailer.path() + " %u\nMimeType=x-scheme-handler/mailto;\n");
  writeFile(home + "/.config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=ostrel-mailer.desktop\n");

  scan(stack(plainPage(), plainPage()));
  const std::vector<ProgramRun> runs = desktopMailer.waitForRuns(1);
  ASSERT_EQ(runs.size(), 1u) << ::testing::PrintToString(logMessages());
  ASSERT_EQ(runs[0].arguments.size(), 1u);
  const std::string& url = runs[0].arguments[0];
  EXPECT_THAT(url, ::testing::StartsWith("mailto:"));
  for (const std::string& file : outboxFiles()) {
    EXPECT_THAT(url, HasSubstr(std::filesystem::path(file).filename().string())) << url;
  }
  EXPECT_THAT(ui.messages, IsEmpty());
  EXPECT_EQ(defaultMailProgramIcon(), "ostrel-test-mail");
}

TEST(MailProgramIcon, ComesFromTheMailtoHandlersDesktopEntry) {
  if (platform::findOnPath("xdg-mime").empty()) GTEST_SKIP() << "xdg-mime is not installed (package xdg-utils)";
  const ScopedEnvironment noDesktop("XDG_CURRENT_DESKTOP", nullptr);
  const std::string home = tempRoot() + "/home";
  const ScopedEnvironment dataDirs("XDG_DATA_DIRS", tempRoot() + "/system");
  EXPECT_EQ(defaultMailProgramIcon(), "");

  // An entry in a vendor subfolder of a system data folder, named vendor-mail.desktop.
  writeFile(tempRoot() + "/system/applications/vendor/mail.desktop",
            "[Desktop Entry]\nType=Application\nName=Mail\nIcon=/opt/vendor/mail.png\nExec=true %u\n");
  writeFile(home + "/.config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=vendor-mail.desktop\n");
  EXPECT_EQ(defaultMailProgramIcon(), "/opt/vendor/mail.png");

  // The user's own entry of that name comes first.
  writeFile(home + "/.local/share/applications/vendor-mail.desktop",
            "[Desktop Entry]\nType=Application\nName=Mail\nIcon= user-mail \nExec=true %u\n");
  EXPECT_EQ(defaultMailProgramIcon(), "user-mail");
}

}  // namespace
}  // namespace ostrel
