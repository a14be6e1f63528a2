#include "app/core/scanbd_hook.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/file_descriptor.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

std::string scanbdConf(const std::string& folder) { return platform::joinPath(folder, "scanbd.conf"); }

std::string installedSnippet(const std::string& folder) {
  return platform::joinPath(platform::joinPath(folder, "scanner.d"), kScanbdSnippetName);
}

bool isIncludeLine(std::string_view line) { return platform::trimBlanks(line) == scanbdIncludeLine(); }

// scanbd.conf without our include lines; true in *found when it held one.
std::string withoutIncludeLine(const std::string& text, bool* found) {
  std::string kept;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (isIncludeLine(line)) {
      *found = true;
      continue;
    }
    kept += line + "\n";
  }
  return kept;
}

HookResult cannotWrite(const std::string& path, int error) {
  Log("The scanbd hook cannot change " + path + ": " + std::strerror(error) +
      ". Run the registration as a user who may change scanbd's configuration.");
  return HookResult::CannotWrite;
}

int replace(const std::string& path, std::string_view bytes) {
  return platform::replaceFileAtomically(path, bytes, 0644, platform::Flush::beforeRename) ? 0 : (errno ? errno : EIO);
}

}  // namespace

std::string scanbdConfigFolder() {
  const char* folder = std::getenv("OSTREL_SCANBD_DIR");
  return folder && *folder ? folder : "/etc/scanbd";
}

std::string scanbdIncludeLine() { return std::string("include(scanner.d/") + kScanbdSnippetName + ")"; }

HookResult ScanbdHook::install() const {
  const std::string conf = scanbdConf(configFolder);
  const auto text = platform::readFile(conf);
  if (!text) {
    Log("scanbd is not configured here (no " + conf + "); button presses reach the manager without it.");
    return HookResult::NotConfigured;
  }
  const std::string source =
      platform::joinPath(platform::joinPath(programFolder, kScanbdShippedFolder), kScanbdSnippetName);
  const auto snippet = platform::readFile(source);
  if (!snippet) {
    Log("scanbd is configured in " + configFolder + ", but the program ships no scanbd snippet (" + source +
        "); scanbd is left as it is.");
    return HookResult::NothingShipped;
  }
  const std::string target = installedSnippet(configFolder);
  errno = 0;
  if (!platform::createFolder(platform::folderOf(target))) return cannotWrite(platform::folderOf(target), errno);
  errno = 0;
  if (const int error = replace(target, *snippet)) return cannotWrite(target, error);
  bool included = false;
  (void)withoutIncludeLine(*text, &included);
  if (!included) {
    std::string updated = *text;
    if (!updated.empty() && updated.back() != '\n') updated += '\n';
    updated += scanbdIncludeLine() + "\n";
    errno = 0;
    if (const int error = replace(conf, updated)) return cannotWrite(conf, error);
  }
  Log("scanbd in " + configFolder + " now starts Ostrel on a button press (" + target +
      "); restart scanbd to take it in.");
  return HookResult::Done;
}

HookResult ScanbdHook::remove() const {
  const std::string conf = scanbdConf(configFolder);
  const std::string target = installedSnippet(configFolder);
  if (const auto text = platform::readFile(conf)) {
    bool included = false;
    const std::string kept = withoutIncludeLine(*text, &included);
    errno = 0;
    if (included) {
      if (const int error = replace(conf, kept)) return cannotWrite(conf, error);
    }
  }
  if (platform::fileExists(target)) {
    if (std::remove(target.c_str()) != 0) return cannotWrite(target, errno);
    Log("The scanbd hook is removed from " + configFolder + ".");
  }
  return HookResult::Done;
}

}  // namespace ostrel
