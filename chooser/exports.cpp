// The three exports of libDrovel.so. The client library is loaded from this
// library's own folder on first use and stays loaded while this one is: the
// session it holds lives between the login and the folder choice. Nothing may
// escape an export.
#include <QApplication>
#include <QMetaObject>
#include <QThread>

#include <mutex>
#include <optional>
#include <string>

#include "chooser/directory_dialog.h"
#include "chooser/drovel.h"
#include "platform/activity_log.h"
#include "platform/dynamic_library.h"
#include "platform/export_guard.h"
#include "platform/text.h"

namespace {

using ostrel::chooser::FolderWalk;

constexpr int kCancelled = -5;
// What login answers when the client library cannot be loaded.
constexpr int kNoClientLibrary = -1;

struct ClientLibrary {
  ostrel::platform::DynamicLibrary library;
  int (*login)(const char16_t*, const char16_t*, int, const char16_t*, const char16_t*) = nullptr;
  int (*logoff)() = nullptr;
  FolderWalk walk;
};

std::optional<ClientLibrary> loadClient() {
  // Any address inside this library names its file.
  const void* self = reinterpret_cast<const void*>(&loadClient);
  const std::string path =
      ostrel::platform::joinPath(ostrel::platform::folderOf(ostrel::platform::modulePathOf(self)), "libMirelle.so");
  std::string error;
  auto library = ostrel::platform::DynamicLibrary::open(path, &error);
  if (!library) {
    ostrel::Log("The cloud client library " + path + " cannot be loaded: " + error);
    return std::nullopt;
  }
  ClientLibrary client{std::move(*library), nullptr, nullptr, FolderWalk{}};
  client.login = client.library.function<int(const char16_t*, const char16_t*, int, const char16_t*, const char16_t*)>(
      "NV_Client_Login");
  client.logoff = client.library.function<int()>("NV_Client_Logoff");
  client.walk.root = client.library.function<const NvFolderNode*(const NvFolderNode**)>("NV_Get_Root");
  client.walk.firstChild = client.library.function<const NvFolderNode*(const NvFolderNode*)>("NV_Get_FirstChild");
  client.walk.nextFolder = client.library.function<const NvFolderNode*(const NvFolderNode*)>("NV_Get_NextFolder");
  if (!client.login || !client.logoff || !client.walk.root || !client.walk.firstChild || !client.walk.nextFolder) {
    ostrel::Log(path + " lacks one of the cloud client's functions.");
    return std::nullopt;
  }
  return client;
}

// Loaded once per load of this library; unloaded with it.
const ClientLibrary* client() {
  static std::once_flag once;
  static std::optional<ClientLibrary> loaded;
  std::call_once(once, [] { loaded = loadClient(); });
  return loaded ? &*loaded : nullptr;
}

template <typename Call>
int guarded(int failure, Call call) noexcept {
  return ostrel::platform::guardExport(failure, call,
                                       [](const std::string& what) { ostrel::Log("Cloud folder chooser: " + what); });
}

struct Choice {
  std::u16string path;
  std::u16string identifier;
};

std::optional<Choice> showDialog(const FolderWalk& walk, const std::u16string& wanted) {
  ostrel::chooser::CDirectoryDlg dialog(walk, wanted);
  if (!dialog.fill()) {
    ostrel::Log("The cloud folder chooser has no folder tree to show (not logged in).");
    return std::nullopt;
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return Choice{dialog.chosenPath(), dialog.chosenIdentifier()};
}

// Windows live on the application's thread: a caller on a worker thread waits
// there while the dialog runs on it. A caller without any Qt application gets
// one for the time of the dialog.
std::optional<Choice> choose(const FolderWalk& walk, const std::u16string& wanted) {
  QCoreApplication* application = QCoreApplication::instance();
  if (!application) {
    int argc = 1;
    char name[] = "Drovel";
    char* argv[] = {name, nullptr};
    QApplication own(argc, argv);
    return showDialog(walk, wanted);
  }
  if (QThread::currentThread() == application->thread()) return showDialog(walk, wanted);
  std::optional<Choice> choice;
  QMetaObject::invokeMethod(
      application, [&] { choice = showDialog(walk, wanted); }, Qt::BlockingQueuedConnection);
  return choice;
}

}  // namespace

extern "C" {

int Nv_ClientLogin(const char16_t* server, const char16_t* serverAgain, int number, const char16_t* user,
                   const char16_t* password) {
  return guarded(kNoClientLibrary, [&] {
    const ClientLibrary* library = client();
    return library ? library->login(server, serverAgain, number, user, password) : kNoClientLibrary;
  });
}

int Nv_ClientLogoff(void) {
  return guarded(kNoClientLibrary, [] {
    const ClientLibrary* library = client();
    return library ? library->logoff() : kNoClientLibrary;
  });
}

int Nv_Select(char16_t* path, int pathChars, char16_t* folderId, int folderIdChars) {
  return guarded(kCancelled, [&] {
    const ClientLibrary* library = client();
    if (!library) return kCancelled;
    using namespace ostrel::chooser;
    const std::u16string wanted = wantedText(bufferText(path, pathChars), bufferText(folderId, folderIdChars));
    const std::optional<Choice> choice = choose(library->walk, wanted);
    if (!choice) return kCancelled;
    copyBounded(path, pathChars, choice->path);
    copyBounded(folderId, folderIdChars, std::u16string(kFolderIdPrefix) + choice->identifier);
    return 0;
  });
}

}  // extern "C"
