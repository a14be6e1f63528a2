#include "app/settings/profile_safekeeping.h"

#include <algorithm>

#include "app/settings/profile_keys.h"
#include "platform/environment.h"
#include "platform/file_descriptor.h"
#include "platform/ini_file.h"

namespace ostrel {

namespace {

constexpr std::string_view kLastGoodSuffix = ".last-good";

// A section name the loaders reach: "0", "1", ... without leading zeros.
bool isSectionNumber(std::string_view name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string_view::npos &&
         (name.size() == 1 || name.front() != '0');
}

bool isUsableSection(const std::string& section, ProfileKind kind, const std::string& path) {
  if (kind == ProfileKind::button) return section.size() == 1 && section[0] >= '1' && section[0] <= '9';
  return isSectionNumber(section) &&
         platform::GetPrivateProfileInt(section, profile_keys::kValid, -1, path) >= 1;
}

}  // namespace

std::string lastGoodPath(const std::string& path) { return path + std::string(kLastGoodSuffix); }

bool isDamagedProfile(const std::string& path, ProfileKind kind) {
  if (!platform::fileExists(path)) return false;
  if (!platform::profileFileIsText(path)) return true;
  const std::vector<std::string> sections = platform::GetPrivateProfileSectionNames(path);
  return std::none_of(sections.begin(), sections.end(),
                      [&](const std::string& section) { return isUsableSection(section, kind, path); });
}

bool copyProfileFile(const std::string& from, const std::string& to, platform::Flush flush) {
  const std::optional<std::string> bytes = platform::readFile(from);
  return bytes && platform::replaceFileAtomically(to, *bytes, 0666, flush);
}

bool keepLastGood(const std::string& path, ProfileKind kind) {
  if (!platform::fileExists(path) || isDamagedProfile(path, kind)) return false;
  return copyProfileFile(path, lastGoodPath(path), platform::Flush::beforeRename);
}

}  // namespace ostrel
