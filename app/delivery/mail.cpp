#include "app/delivery/mail.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <utility>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/shell_execute.h"
#include "platform/text.h"

namespace fs = std::filesystem;

namespace ostrel {

namespace {

constexpr auto kOutboxAge = std::chrono::hours(24 * 7);
constexpr const char* kMissingLauncher =
    "xdg-email is missing (package xdg-utils) and OSTREL_MAIL_COMMAND names no mail program.";

// The launcher and its leading arguments: $OSTREL_MAIL_COMMAND, split as a
// command line, else xdg-email; nullopt when neither is there.
std::optional<std::vector<std::string>> mailLauncher() {
  const char* command = std::getenv("OSTREL_MAIL_COMMAND");
  if (command && *command) {
    std::vector<std::string> words = platform::splitCommandLine(command);
    if (!words.empty()) return words;
  }
  if (platform::findOnPath("xdg-email").empty()) return std::nullopt;
  return std::vector<std::string>{"xdg-email"};
}

// Outbox folders are named by local time, "YYYYMMDD-HHMMSS", with "-N" when two
// deliveries fall in one second.
std::string timeStamp(std::time_t when) {
  std::tm local{};
  ::localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

std::optional<std::time_t> stampTime(const std::string& name) {
  std::tm local{};
  int consumed = 0;
  if (std::sscanf(name.c_str(), "%4d%2d%2d-%2d%2d%2d%n", &local.tm_year, &local.tm_mon, &local.tm_mday,
                  &local.tm_hour, &local.tm_min, &local.tm_sec, &consumed) != 6 ||
      consumed != 15) {
    return std::nullopt;
  }
  local.tm_year -= 1900;
  local.tm_mon -= 1;
  local.tm_isdst = -1;
  const std::time_t when = std::mktime(&local);
  if (when == -1) return std::nullopt;
  return when;
}

// Folders whose names are no time stamp are not ours to remove.
void removeOldOutboxes(std::time_t now) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(outboxFolder(), error)) {
    const std::optional<std::time_t> made = stampTime(entry.path().filename().string());
    if (!made || !entry.is_directory(error) || now - *made <= std::chrono::seconds(kOutboxAge).count()) continue;
    std::error_code removed;
    fs::remove_all(entry.path(), removed);
    if (removed) Log("The old outbox folder " + entry.path().string() + " cannot be removed: " + removed.message());
  }
}

// A new, empty folder for this delivery; empty when none can be made.
std::string newOutbox(std::time_t now) {
  const std::string base = platform::joinPath(outboxFolder(), timeStamp(now));
  if (!platform::createFolderTree(outboxFolder())) return {};
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string folder = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    if (::mkdir(folder.c_str(), 0700) == 0) return folder;
    if (errno != EEXIST) return {};
  }
  return {};
}

// Moves the file into the folder; its path there, or its old path (with a log
// line) when it cannot be moved.
std::string moveInto(const std::string& file, const std::string& folder) {
  const fs::path target = fs::path(folder) / fs::path(file).filename();
  std::error_code error;
  fs::rename(file, target, error);
  if (error == std::errc::cross_device_link) {
    fs::copy_file(file, target, error);
    if (!error) fs::remove(file, error);
  }
  if (!error) return target.string();
  Log("The file " + file + " cannot be moved to the outbox (" + error.message() + "); it is attached from where it is.");
  return file;
}

}  // namespace

std::string outboxFolder() { return platform::joinPath(platform::appDataFolder(), "Ostrel/Outbox"); }

void mailFiles(std::vector<std::string>& files, const MailParts& parts) {
  const std::vector<std::string> toSend = std::exchange(files, {});
  const std::optional<std::vector<std::string>> launcher = mailLauncher();
  if (!launcher) {
    Log(kMissingLauncher);
    std::string stay = "These files stay:";
    for (const std::string& file : toSend) stay += " \"" + file + "\"";
    Log(stay);
    parts.ui.showMessage(parts.text("Else", "Message10", kMissingLauncher), MessageKind::Error);
    return;
  }

  const std::time_t now = std::time(nullptr);
  removeOldOutboxes(now);
  const std::string outbox = newOutbox(now);
  if (outbox.empty()) Log("No outbox folder can be made in " + outboxFolder() + "; the files are attached from where they are.");
  std::vector<std::string> attached;
  std::string line = "eMail:";
  for (const std::string& file : toSend) {
    attached.push_back(outbox.empty() ? file : moveInto(file, outbox));
    line += attached.back();
  }
  Log(line);

  std::vector<std::string> arguments(launcher->begin() + 1, launcher->end());
  for (const std::string& file : attached) {
    arguments.push_back("--attach");
    arguments.push_back(file);
  }
  const platform::Started started = platform::startDetached(launcher->front(), arguments, parts.patience);
  if (started.state == platform::Started::State::NotStarted) {
    Log("eMail: " + started.reason);
  } else if (started.state == platform::Started::State::Exited && started.exitCode != 0) {
    Log("eMail: " + std::to_string(started.exitCode));
  } else {
    return;
  }
  parts.ui.showMessage("Send Mail failed to send message.", MessageKind::Error);
}

std::string defaultMailProgramIcon() {
  const std::optional<std::string> answer =
      platform::captureOutput("xdg-mime", {"query", "default", "x-scheme-handler/mailto"}, std::chrono::seconds(5));
  if (!answer) return {};
  const std::string entry(platform::trimBlanks(answer->substr(0, answer->find('\n'))));
  if (entry.empty() || entry.find('/') != std::string::npos) return {};

  // Desktop entries live in applications/ of each XDG data folder; a '-' in the
  // entry's name may stand for one level of subfolder.
  std::vector<std::string> names = {entry};
  for (std::size_t dash = entry.find('-'); dash != std::string::npos; dash = entry.find('-', dash + 1)) {
    names.push_back(entry.substr(0, dash) + "/" + entry.substr(dash + 1));
  }
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  const std::string folders = (dataHome && *dataHome ? dataHome : platform::homeFolder() + "/.local/share") + ":" +
                              (dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
  for (std::size_t begin = 0; begin <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', begin), folders.size());
    const std::string folder = folders.substr(begin, end - begin);
    begin = end + 1;
    if (folder.empty()) continue;
    for (const std::string& name : names) {
      const std::string file = platform::joinPath(platform::joinPath(folder, "applications"), name);
      if (platform::fileExists(file)) {
        return std::string(platform::trimBlanks(platform::GetPrivateProfileString("Desktop Entry", "Icon", "", file)));
      }
    }
  }
  return {};
}

}  // namespace ostrel
