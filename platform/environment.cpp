#include "platform/environment.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/text.h"

extern char** environ;

namespace ostrel::platform {

namespace {

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> plainVariable(const char* name) {
  const char* value = std::getenv(name);
  if (!value || !*value) return std::nullopt;
  return std::string(value);
}

// The value of a line such as XDG_DOCUMENTS_DIR="$HOME/Documents".
std::optional<std::string> userDirsEntry(const std::string& file, std::string_view key) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    std::string_view text = trimBlanks(line);
    if (!text.starts_with(key)) continue;
    text.remove_prefix(key.size());
    text = trimBlanks(text);
    if (!text.starts_with('=')) continue;
    text = trimBlanks(text.substr(1));
    if (text.size() < 2 || text.front() != '"' || text.back() != '"') continue;
    text = text.substr(1, text.size() - 2);
    std::string value;
    if (text.starts_with("$HOME")) {
      value = homeFolder() + std::string(text.substr(5));
    } else if (text.starts_with('/')) {
      value = std::string(text);
    } else {
      continue;  // relative entries are not valid in user-dirs.dirs
    }
    return withoutTrailingSlash(value);
  }
  return std::nullopt;
}

}  // namespace

std::string homeFolder() {
  if (auto home = plainVariable("HOME")) return withoutTrailingSlash(*home);
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::string appDataFolder() {
  if (auto value = plainVariable("APPDATA")) return withoutTrailingSlash(*value);
  if (auto value = plainVariable("XDG_DATA_HOME")) return withoutTrailingSlash(*value);
  return homeFolder() + "/.local/share";
}

std::string documentsFolder() {
  const std::string config = plainVariable("XDG_CONFIG_HOME").value_or(homeFolder() + "/.config");
  if (auto documents = userDirsEntry(config + "/user-dirs.dirs", "XDG_DOCUMENTS_DIR")) {
    return *documents;
  }
  return homeFolder() + "/Documents";
}

std::string programFolder() {
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (n <= 0) return ".";
  return folderOf(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
}

std::optional<std::string> environmentValue(std::string_view name) {
  if (equalsNoCase(name, "APPDATA")) return appDataFolder();
  if (equalsNoCase(name, "USERPROFILE")) return homeFolder();
  std::optional<std::string> caseless;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = text.substr(0, equals);
    if (key == name) return std::string(text.substr(equals + 1));
    if (!caseless && equalsNoCase(key, name)) caseless = std::string(text.substr(equals + 1));
  }
  return caseless;
}

std::string ExpandEnvironmentStrings(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    if (open == std::string_view::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) break;
    const std::string_view name = text.substr(open + 1, close - open - 1);
    const auto value = name.empty() ? std::nullopt : environmentValue(name);
    if (value) {
      out.append(text.substr(pos, open - pos));
      out += *value;
      pos = close + 1;
    } else {
      // Unknown: keep the first '%' and look for a name starting at the second.
      out.append(text.substr(pos, close - pos));
      pos = close;
    }
  }
  out.append(text.substr(pos));
  return out;
}

bool createFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  return errno == EEXIST && folderExists(path);
}

bool createFolderTree(const std::string& path) {
  if (path.empty()) return false;
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string level = path.substr(0, slash);
    if (!folderExists(level) && ::mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return createFolder(withoutTrailingSlash(path));
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool folderExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace ostrel::platform
