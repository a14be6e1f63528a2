#include "app/delivery/fax/fax_memory.h"

#include "app/delivery/fax/fax_texts.h"
#include "app/settings/password_codec.h"
#include "platform/environment.h"
#include "platform/ini_file.h"
#include "platform/text.h"

namespace ostrel {

namespace {

constexpr const char* kSection = "Fax";
// Spelled as the history key always was.
constexpr const char* kHistoryKey = "MoblieNO";

}  // namespace

FaxMemory::FaxMemory(std::string userFile, std::string textsFile)
    : userFile_(std::move(userFile)), textsFile_(std::move(textsFile)) {}

std::string FaxMemory::defaultUserFile() {
  return platform::joinPath(platform::joinPath(platform::appDataFolder(), "Ostrel"), "Fax.ini");
}

std::string FaxMemory::value(const char* key) const {
  // A sentinel no stored value can hold tells a missing key from an empty one.
  constexpr const char* kMissing = "\x01";
  std::string own = platform::GetPrivateProfileString(kSection, key, kMissing, userFile_);
  if (own != kMissing) return own;
  return platform::GetPrivateProfileString(kSection, key, "", textsFile_);
}

std::string FaxMemory::userId() const { return value("UserID"); }

std::string FaxMemory::password() const { return DecodePassword(value("Password")); }

bool FaxMemory::rememberLogin(const std::string& userId, const std::string& password) {
  platform::createFolderTree(platform::folderOf(userFile_));
  return platform::WritePrivateProfileString(kSection, "UserID", userId, userFile_) &&
         platform::WritePrivateProfileString(kSection, "Password", EncodePassword(password), userFile_);
}

std::string FaxMemory::receiverHistory() const { return value(kHistoryKey); }

bool FaxMemory::rememberReceiver(const std::string& receiver) {
  const auto updated = historyWith(receiverHistory(), receiver);
  if (!updated) return true;
  platform::createFolderTree(platform::folderOf(userFile_));
  return platform::WritePrivateProfileString(kSection, kHistoryKey, *updated, userFile_);
}

}  // namespace ostrel
