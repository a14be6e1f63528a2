#include "app/delivery/program_launch.h"

#include <algorithm>

#include "platform/activity_log.h"
#include "platform/shell_execute.h"

namespace ostrel {

namespace {

// The page manager's program as the profile names it: the Windows file name, or
// the program file the page-manager marker resolves to here.
bool isPageManager(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return path.find("Prestopm.exe") != std::string::npos ||
         path.substr(slash == std::string::npos ? 0 : slash + 1) == "prestopm";
}

// The title of a page-manager window that shows the folder. Folders here carry
// no trailing separator; one that does loses it, as the title shows none.
std::string pageManagerTitle(std::string folder) {
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return "Presto! PageManager 9 Standard - " + folder;
}

}  // namespace

std::string singleFileParameters(const CApplicationSetting& destination, const std::string& path) {
  return destination.beforeFix + " \"" + path + "\" " + destination.afterFix;
}

std::string fileListParameters(const CApplicationSetting& destination, const std::string& quotedPaths) {
  return destination.beforeFix + " " + quotedPaths + destination.afterFix;
}

void launchProgram(const CApplicationSetting& destination, const CButtonSetting& button,
                   const std::string& parameters, const WindowTitles& windowTitles) {
  const std::string& program = destination.path;
  bool alreadyShown = false;
  if (isPageManager(program) && windowTitles) {
    const std::vector<std::string> titles = windowTitles();
    alreadyShown = std::find(titles.begin(), titles.end(), pageManagerTitle(button.imageFolder)) != titles.end();
  }
  const platform::Started started = platform::shellExecute(program, alreadyShown ? "" : parameters);
  Log("Launch File: " + program + " " + parameters);
  if (!started) Log("The program cannot be started: " + started.reason + ".");
}

}  // namespace ostrel
