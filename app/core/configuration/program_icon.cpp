#include "app/core/configuration/program_icon.h"

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

std::string baseName(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// The program an Exec line starts: its first word, without quotes.
std::string execProgram(std::string_view exec) {
  exec = platform::trimBlanks(exec);
  if (!exec.empty() && exec.front() == '"') {
    const std::size_t close = exec.find('"', 1);
    return std::string(exec.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  }
  return std::string(exec.substr(0, exec.find(' ')));
}

std::string iconOf(const std::string& entry) {
  return std::string(platform::trimBlanks(platform::GetPrivateProfileString("Desktop Entry", "Icon", "", entry)));
}

}  // namespace

std::string programDesktopIcon(std::string_view programPath) {
  const std::string program = baseName(programPath);
  if (program.empty()) return {};
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  const std::string folders = (dataHome && *dataHome ? dataHome : platform::homeFolder() + "/.local/share") + ":" +
                              (dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share");
  std::vector<std::string> applications;
  for (std::size_t begin = 0; begin <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', begin), folders.size());
    if (end > begin) applications.push_back(platform::joinPath(folders.substr(begin, end - begin), "applications"));
    begin = end + 1;
  }
  // The entry named after the program wins; else the first whose Exec starts it.
  for (const std::string& folder : applications) {
    const std::string named = platform::joinPath(folder, program + ".desktop");
    if (platform::fileExists(named)) return iconOf(named);
  }
  for (const std::string& folder : applications) {
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(folder, error)) {
      if (file.path().extension() != ".desktop") continue;
      const std::string entry = file.path().string();
      const std::string exec = platform::GetPrivateProfileString("Desktop Entry", "Exec", "", entry);
      if (baseName(execProgram(exec)) == program) return iconOf(entry);
    }
  }
  return {};
}

}  // namespace ostrel
