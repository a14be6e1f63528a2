#include "app/delivery/cloud_upload.h"

#include "app/scan/job/cloud_folder_chooser.h"
#include "app/settings/password_codec.h"
#include "platform/activity_log.h"
#include "platform/shell_execute.h"
#include "platform/text.h"

namespace ostrel {

namespace {

std::string fileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The command line as the log shows it: switches bare, the three texts quoted.
std::string commandText(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& previous = i ? arguments[i - 1] : std::string();
    const bool quoted = previous == "-Path" || previous == "-File" || previous == "-Title";
    if (i) text += ' ';
    text += quoted ? "\"" + arguments[i] + "\"" : arguments[i];
  }
  return text;
}

}  // namespace

std::vector<std::string> uploadArguments(const CButtonSetting& button, const std::string& server,
                                         const std::string& path) {
  std::vector<std::string> arguments{"-Server", server, "-Account", button.account, "-Password", "-"};
  if (!button.id.empty()) arguments.insert(arguments.end(), {"-FolderID", button.id});
  arguments.insert(arguments.end(), {"-Path", button.imageFolder, "-File", path, "-Title", fileNameOf(path)});
  return arguments;
}

void startUpload(const std::string& programFolder, const CButtonSetting& button, const std::string& path) {
  const std::vector<std::string> arguments = uploadArguments(button, cloudServerOf(button), path);
  const std::string program = platform::joinPath(programFolder, kUploaderProgram);
  const platform::Started started =
      platform::startDetached(program, arguments, std::nullopt, EncodePassword(button.password) + "\n");
  if (!started) {
    Log("Google Docs: the uploader cannot be started (" + started.reason + "); " + path + " stays where it is.");
    return;
  }
  Log("Google Docs: " + commandText(arguments));
}

}  // namespace ostrel
