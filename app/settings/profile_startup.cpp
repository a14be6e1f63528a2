#include "app/settings/profile_startup.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>

#include "platform/activity_log.h"
#include "platform/environment.h"
#include "platform/staged_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

struct ProfileFile {
  std::string_view name;
  std::string_view noun;  // as the log lines name the file
  ProfileKind kind;
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

// Makes a missing file from the template, which is first made from the built-in
// set when missing too. A template that cannot be made, or is damaged, gives way
// to the built-in set written straight into the file.
ProfileRepair::Source createFromTemplate(const ProfileFile& file, const std::string& target,
                                         const std::string& programFolder) {
  const std::string templatePath =
      platform::joinPath(platform::joinPath(programFolder, "Template"), file.name);
  if (!platform::fileExists(templatePath) && !writeTemplate(file, templatePath)) {
    Log("Cannot write the template " + templatePath + "; writing the built-in set into " + target + ".");
    file.writeBuiltIn(target);
    return ProfileRepair::Source::builtInSet;
  }
  if (isDamagedProfile(templatePath, file.kind)) {
    Log("The template " + templatePath + " is damaged; writing the built-in set into " + target + ".");
    file.writeBuiltIn(target);
    return ProfileRepair::Source::builtInSet;
  }
  // A new file: an installed template may be read-only, the user's copy takes edits.
  if (!copyProfileFile(templatePath, target, platform::Flush::no)) {
    Log("Cannot copy " + templatePath + " to " + target + ".");
  }
  return ProfileRepair::Source::templateFile;
}

// "<file>.damaged-YYYYMMDD-HHMMSS", numbered on when that name is taken.
std::string setAsideName(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = path + ".damaged-" + stamp;
  std::string name = base;
  for (int number = 2; platform::fileExists(name); ++number) name = base + "-" + std::to_string(number);
  return name;
}

const char* sourceText(ProfileRepair::Source source) {
  switch (source) {
    case ProfileRepair::Source::lastGoodCopy: return "its last good copy";
    case ProfileRepair::Source::templateFile: return "the template";
    case ProfileRepair::Source::builtInSet: return "the built-in set";
  }
  return "";
}

// Sets a damaged file aside and puts its last good copy in its place, else what
// a missing file gets. A file reached through a symbolic link is set aside and
// restored where the link points.
std::optional<ProfileRepair> repairIfDamaged(const ProfileFile& file, const std::string& target,
                                             const std::string& programFolder) {
  if (!isDamagedProfile(target, file.kind)) return std::nullopt;
  ProfileRepair repair;
  repair.file = target;
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(target, error);
  const std::string damaged = error ? target : real.string();
  const std::string aside = setAsideName(damaged);
  if (std::rename(damaged.c_str(), aside.c_str()) != 0) {
    Log(std::string(file.name) + " is damaged and cannot be set aside (" + std::strerror(errno) +
        "); it is read as it is.");
    return repair;
  }
  repair.setAside = aside;
  const std::string lastGood = lastGoodPath(target);
  if (platform::fileExists(lastGood) && !isDamagedProfile(lastGood, file.kind) &&
      copyProfileFile(lastGood, target, platform::Flush::no)) {
    repair.source = ProfileRepair::Source::lastGoodCopy;
  } else {
    repair.source = createFromTemplate(file, target, programFolder);
  }
  Log(std::string(file.name) + " is damaged; it is kept as " + aside + " and restored from " +
      sourceText(repair.source) + ".");
  return repair;
}

}  // namespace

std::vector<ProfileRepair> CreateAndLoadProfiles(ProfileStore& store, const std::string& scannerFolder,
                                                 const std::string& programFolder, int buttonCount) {
  const std::string folder = platform::ExpandEnvironmentStrings(scannerFolder);
  platform::createFolderTree(folder);
  for (const std::string& removed : platform::removeAbandonedStagingFiles(folder)) {
    Log("Removed " + removed + ", left by a write that did not finish.");
  }
  const ProfileFile files[] = {
      {"ScanSetting.ini", "scan", ProfileKind::scan,
       [&](const std::string& path) { return store.WriteDefaultScanSettings(path); },
       [&](const std::string& path) { store.LoadScanSettings(path); }},
      {"ApplicationSetting.ini", "application", ProfileKind::application,
       [&](const std::string& path) { return store.WriteDefaultApplicationSettings(path); },
       [&](const std::string& path) { store.LoadApplicationSettings(path); }},
      {"ButtonSetting.ini", "button", ProfileKind::button,
       [&](const std::string& path) { return store.WriteDefaultButtonSettings(path); },
       [&](const std::string& path) { store.LoadButtonSettings(path, buttonCount); }},
  };
  std::vector<ProfileRepair> repairs;
  for (const ProfileFile& file : files) {
    const std::string target =
        platform::ExpandEnvironmentStrings(platform::joinPath(scannerFolder, file.name));
    if (std::optional<ProfileRepair> repair = repairIfDamaged(file, target, programFolder)) {
      repairs.push_back(std::move(*repair));
    } else if (!platform::fileExists(target)) {
      Log("Create OBX " + std::string(file.noun) + " profile.");
      createFromTemplate(file, target, programFolder);
    }
    Log("Load OBX " + std::string(file.noun) + " profile.");
    file.load(target);
    // A file never saved since it was made or restored has no good copy yet;
    // later saves keep it current.
    const std::string lastGood = lastGoodPath(target);
    if (!platform::fileExists(lastGood) || isDamagedProfile(lastGood, file.kind)) {
      keepLastGood(target, file.kind);
    }
  }
  return repairs;
}

}  // namespace ostrel
