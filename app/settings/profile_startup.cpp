#include "app/settings/profile_startup.h"

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel {

namespace {

struct ProfileFile {
  std::string_view name;
  std::string_view noun;  // as the log lines name the file
  std::function<bool(const std::string& path)> writeBuiltIn;
  std::function<void(const std::string& path)> load;
};

// Writes the built-in set beside the template and renames it into place, so a
// second manager starting at the same moment never copies a half-written
// template. False when the template folder cannot take it.
bool writeTemplate(const ProfileFile& file, const std::string& templatePath) {
  const std::string temporary = templatePath + "." + std::to_string(::getpid()) + ".tmp";
  std::error_code error;
  const bool written = file.writeBuiltIn(temporary);
  if (written) std::filesystem::rename(temporary, templatePath, error);
  if (!written || error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

bool copyTemplate(const std::string& templatePath, const std::string& target) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::copy_file(templatePath, target, fs::copy_options::overwrite_existing, error);
  if (error) return false;
  // An installed template may be read-only; the user's copy must take edits.
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, error);
  return true;
}

void createIfMissing(const ProfileFile& file, const std::string& target, const std::string& programFolder) {
  if (platform::fileExists(target)) return;
  Log("Create OBX " + std::string(file.noun) + " profile.");
  const std::string templatePath =
      platform::joinPath(platform::joinPath(programFolder, "Template"), file.name);
  if (!platform::fileExists(templatePath) && !writeTemplate(file, templatePath)) {
    Log("Cannot write the template " + templatePath + "; writing the built-in set into " + target + ".");
    file.writeBuiltIn(target);
    return;
  }
  if (!copyTemplate(templatePath, target)) Log("Cannot copy " + templatePath + " to " + target + ".");
}

}  // namespace

void CreateAndLoadProfiles(ProfileStore& store, const std::string& scannerFolder,
                           const std::string& programFolder, int buttonCount) {
  platform::createFolderTree(platform::ExpandEnvironmentStrings(scannerFolder));
  const ProfileFile files[] = {
      {"ScanSetting.ini", "scan",
       [&](const std::string& path) { return store.WriteDefaultScanSettings(path); },
       [&](const std::string& path) { store.LoadScanSettings(path); }},
      {"ApplicationSetting.ini", "application",
       [&](const std::string& path) { return store.WriteDefaultApplicationSettings(path); },
       [&](const std::string& path) { store.LoadApplicationSettings(path); }},
      {"ButtonSetting.ini", "button",
       [&](const std::string& path) { return store.WriteDefaultButtonSettings(path); },
       [&](const std::string& path) { store.LoadButtonSettings(path, buttonCount); }},
  };
  for (const ProfileFile& file : files) {
    const std::string target =
        platform::ExpandEnvironmentStrings(platform::joinPath(scannerFolder, file.name));
    createIfMissing(file, target, programFolder);
    Log("Load OBX " + std::string(file.noun) + " profile.");
    file.load(target);
  }
}

}  // namespace ostrel
