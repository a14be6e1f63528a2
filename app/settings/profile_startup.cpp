#include "app/settings/profile_startup.h"

#include <functional>
#include <optional>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/file_descriptor.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

struct ProfileFile {
  std::string_view name;
  std::string_view noun;  // as the log lines name the file
  std::function<bool(const std::string& path)> writeBuiltIn;
  std::function<void(const std::string& path)> load;
};

// Writes the built-in set into a staged file beside the template, moved into
// place when complete, so a second manager starting at the same moment never
// copies a half-written template. The key-by-key writes replace the staged file
// by name, which leaves it unlocked; no clean-up runs in Template/. False when
// the template folder cannot take it.
bool writeTemplate(const ProfileFile& file, const std::string& templatePath) {
  platform::StagedFile staged(templatePath, 0666, platform::Flush::no);
  return staged.ok() && file.writeBuiltIn(staged.temporaryPath()) && staged.commit() == 0;
}

// The target is new: it takes the umask's permissions, so the user's copy of a
// read-only installed template still takes edits.
bool copyTemplate(const std::string& templatePath, const std::string& target) {
  const std::optional<std::string> bytes = platform::readFile(templatePath);
  return bytes && platform::replaceFileAtomically(target, *bytes, 0666, platform::Flush::no);
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
