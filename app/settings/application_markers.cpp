#include "app/settings/application_markers.h"

#include <array>
#include <optional>
#include <span>

#include "app/settings/program_search.h"
#include "platform/environment.h"
#include "platform/registry_store.h"
#include "platform/text.h"

namespace ostrel {

namespace {

struct MarkerRule {
  std::string_view marker;
  std::string_view keyFormat;  // under HKEY_LOCAL_MACHINE; "%d" is the version when versioned
  int highestVersion = 0;      // 0: one key, no version
  int lowestVersion = 0;
  // A value counts when its name is a leading part of this (the whole name and
  // the unnamed default value included); empty: the first value of any name.
  std::string_view valueName;
  // Appended to the found folder. Registered install folders of Word and
  // Photoshop end with a separator, the others do not.
  std::string_view programFile;
  bool writtenBack = false;
  std::span<const std::string_view> counterparts;
};

const std::array<MarkerRule, 5>& rules() {
  static const std::array<MarkerRule, 5> table = {{
      {marker::kWord, "Software\\Microsoft\\Office\\%d.0\\Word\\InstallRoot", 20, 7, "Path", "winword", true,
       counterpart::kWordProcessor},
      {marker::kAcrobat, "Software\\Adobe\\Adobe Acrobat\\%d.0\\InstallPath", 20, 1, "", "/acrobat", true,
       counterpart::kPdfViewer},
      {marker::kReader, "Software\\Adobe\\Acrobat Reader\\%d.0\\InstallPath", 20, 1, "", "/acroread", true,
       counterpart::kPdfViewer},
      {marker::kPhotoshop, "Software\\Adobe\\Photoshop\\%d.0", 20, 1, "ApplicationPath", "photoshop", true,
       counterpart::kImageEditor},
      {marker::kPageManager, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Prestopm.exe", 0, 0,
       "Path", "/prestopm", false, {}},
  }};
  return table;
}

std::string keyForVersion(std::string_view format, int version) {
  std::string key(format);
  if (const std::size_t at = key.find("%d"); at != std::string::npos) {
    key.replace(at, 2, std::to_string(version));
  }
  return key;
}

// The first key that opens, from the highest version down; later ones are not
// tried even when the first holds no usable value.
std::optional<platform::RegistryKey> openInstallKey(const MarkerRule& rule) {
  using platform::Hive;
  using platform::RegistryKey;
  if (rule.highestVersion == 0) return RegistryKey::open(Hive::LocalMachine, rule.keyFormat);
  for (int version = rule.highestVersion; version >= rule.lowestVersion; --version) {
    if (auto key = RegistryKey::open(Hive::LocalMachine, keyForVersion(rule.keyFormat, version))) {
      return key;
    }
  }
  return std::nullopt;
}

bool nameMatches(std::string_view name, std::string_view wanted) {
  if (wanted.empty()) return true;
  return platform::startsWithNoCase(wanted, name);
}

std::string installFolder(const MarkerRule& rule) {
  const auto key = openInstallKey(rule);
  if (!key) return {};
  for (std::size_t index = 0;; ++index) {
    const auto value = key->valueAt(index);
    if (!value) return {};
    const bool hasText =
        value->type == platform::RegistryType::String || value->type == platform::RegistryType::ExpandString;
    if (hasText && nameMatches(value->name, rule.valueName)) return value->text;
  }
}

}  // namespace

MarkerResolution ResolveApplicationMarker(std::string_view marker) {
  for (const MarkerRule& rule : rules()) {
    if (rule.marker != marker) continue;
    const std::string registered =
        platform::ExpandEnvironmentStrings(installFolder(rule) + std::string(rule.programFile));
    // Without a registered folder only the bare program name is left, which
    // must not be found in whatever folder the manager happens to run in.
    if (registered.starts_with('/') && platform::fileExists(registered)) {
      return {registered, rule.writtenBack};
    }
    const std::string counterpart = findProgramOnPath(rule.counterparts);
    if (!counterpart.empty()) return {counterpart, rule.writtenBack};
    return {registered, false};
  }
  return {};
}

}  // namespace ostrel
