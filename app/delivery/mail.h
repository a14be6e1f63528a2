#pragma once
// Handing the files of a finished job to the user's mail program as the
// attachments of a new message, through xdg-email (or the command in
// $OSTREL_MAIL_COMMAND, which takes the same arguments), and finding the mail
// program's icon.
//
// The launcher returns once the mail program has started, long before it reads
// the attachments, so the files are never deleted after the call: they move to
// a per-user outbox, "%AppData%/Ostrel/Outbox/<date-time>/", and outbox folders
// older than a week go at the next mail delivery.
#include <chrono>
#include <string>
#include <vector>

#include "app/scan/user_interface.h"
#include "app/settings/localized_text.h"

namespace ostrel {

struct MailParts {
  UserInterface& ui;
  const LocalizedText& text;
  // How long the launcher may take to report a failure; a launcher still running
  // then (one that stays with the mail program) is left to run.
  std::chrono::milliseconds patience = std::chrono::seconds(5);
};

// Attaches the files to a new message. Leaves `files` empty.
void mailFiles(std::vector<std::string>& files, const MailParts& parts);

// "%AppData%/Ostrel/Outbox".
std::string outboxFolder();

// The icon of the default mail program (the mailto handler's desktop entry): a
// theme icon name or an icon file's path; empty when there is none.
std::string defaultMailProgramIcon();

}  // namespace ostrel
