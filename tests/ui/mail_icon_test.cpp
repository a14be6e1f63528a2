// The icon of a "MAIL" button: the icon of the desktop's default mail program,
// else the generic program picture.
#include <gmock/gmock.h>

#include <QImage>
#include <filesystem>

#include "app/ui/artwork.h"
#include "app/ui/mail_program_icon.h"
#include "app/ui/obx_dialog.h"
#include "app/ui/shade_button.h"
#include "platform/shell_execute.h"
#include "app/core/held_messages.h"
#include "app/core/job_runner.h"
#include "tests/manager/manager_fakes.h"
#include "tests/support/recording_ui.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_home.h"

namespace ostrel {
namespace {

using namespace ostrel::testing;

QRgb middle(const QIcon& icon) { return icon.pixmap(32, 32).toImage().pixel(16, 16); }

TEST(MailIcon, IsTheDefaultMailProgramsOwnElseTheGenericOne) {
  if (platform::findOnPath("xdg-mime").empty()) GTEST_SKIP() << "xdg-mime is not installed (package xdg-utils)";
  const ScopedEnvironment noDesktop("XDG_CURRENT_DESKTOP", nullptr);
  QIcon generic(QPixmap::fromImage(artwork::picture(artwork::Picture::Program, 32)));
  EXPECT_EQ(middle(mailProgramIcon(generic)), middle(generic));

  const std::string home = tempRoot() + "/home";
  QImage red(32, 32, QImage::Format_RGB32);
  red.fill(Qt::red);
  const std::string iconFile = home + "/icons/mailer.png";
  writeFile(iconFile, "");
  ASSERT_TRUE(red.save(QString::fromStdString(iconFile)));
  writeFile(home + "/.local/share/applications/ostrel-mailer.desktop",
            "[Desktop Entry]\nType=Application\nName=Mailer\nIcon=" + iconFile + "\nExec=true %u\n");
  writeFile(home + "/.config/mimeapps.list", "[Default Applications]\nx-scheme-handler/mailto=ostrel-mailer.desktop\n");
  EXPECT_EQ(middle(mailProgramIcon(generic)), qRgb(255, 0, 0));

  // The panel shows it on a mail button.
  Journal journal;
  FakeScanner scanner(journal);
  FakeProfiles profiles(journal);
  FakeJob job(journal);
  FakeSession session(journal, scanner);
  FakeConfiguration configuration(journal);
  FakeCloudAccount cloud(journal);
  FakeFax fax(journal);
  InlineJobRunner jobs;
  RecordingUserInterface dialogs;
  HeldMessages messages(dialogs);
  profiles.configure(1, "MAIL", "eMail");
  COBXDlg panel({scanner, profiles, job, session, jobs, messages, configuration, cloud, fax});
  EXPECT_EQ(middle(panel.titleButton(0)->icon()), qRgb(255, 0, 0));

  // A desktop entry whose icon file is gone shows the generic picture.
  std::filesystem::remove(iconFile);
  EXPECT_EQ(middle(mailProgramIcon(generic)), middle(generic));
}

}  // namespace
}  // namespace ostrel
