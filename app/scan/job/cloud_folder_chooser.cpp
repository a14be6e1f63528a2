#include "app/scan/job/cloud_folder_chooser.h"

#include <algorithm>
#include <vector>

#include "platform/activity_log.h"
#include "platform/dynamic_library.h"
#include "platform/registry_store.h"
#include "platform/text.h"

namespace ostrel {

namespace {

extern "C" {
typedef int ClientLoginFunction(const char16_t*, const char16_t*, int, const char16_t*, const char16_t*);
typedef int SelectFunction(char16_t*, int, char16_t*, int);
}

// The chooser's buffers: 1024 units each, holding the start values.
constexpr int kBufferUnits = 1024;

std::vector<char16_t> buffer(const std::string& start) {
  std::vector<char16_t> units(kBufferUnits, u'\0');
  const std::u16string text = platform::utf8ToUtf16(start);
  std::copy_n(text.begin(), std::min<std::size_t>(text.size(), kBufferUnits - 1), units.begin());
  return units;
}

std::string text(std::vector<char16_t>& units) {
  units.back() = u'\0';  // whatever the library did, the text ends inside the buffer
  return platform::utf16ToUtf8(std::u16string_view(units.data()));
}

}  // namespace

std::string cloudServerOf(const CButtonSetting& button) {
  if (!button.server.empty()) return button.server;
  if (const auto key = platform::RegistryKey::open(platform::Hive::CurrentUser, kCloudSettingsKey)) {
    if (const auto server = key->text("Server"); server && !server->empty()) return *server;
  }
  return kDefaultCloudServer;
}

CloudFolderChoice chooseCloudFolder(const std::string& libraryPath, const CButtonSetting& button) {
  CloudFolderChoice choice;
  const auto library = platform::DynamicLibrary::open(libraryPath);
  if (!library) return choice;
  auto* login = library->function<ClientLoginFunction>("Nv_ClientLogin");
  auto* select = library->function<SelectFunction>("Nv_Select");
  if (!login || !select) {
    Log(libraryPath + " lacks Nv_ClientLogin or Nv_Select.");
    return choice;
  }

  const std::u16string server = platform::utf8ToUtf16(cloudServerOf(button));
  const std::u16string account = platform::utf8ToUtf16(button.account);
  const std::u16string password = platform::utf8ToUtf16(button.password);
  if (login(server.c_str(), server.c_str(), 0, account.c_str(), password.c_str()) != 0) {
    choice.outcome = CloudFolderOutcome::loginFailed;
    return choice;
  }

  std::vector<char16_t> path = buffer(button.imageFolder);
  std::vector<char16_t> folderId = buffer(button.id);
  if (select(path.data(), kBufferUnits, folderId.data(), kBufferUnits) == 0) {
    choice.outcome = CloudFolderOutcome::chosen;
    choice.folderPath = text(path);
    choice.folderId = text(folderId);
  } else {
    choice.outcome = CloudFolderOutcome::notChosen;
  }
  return choice;
}

}  // namespace ostrel
