// The six C exports over the process's one FaxService. Nothing may escape them:
// every export catches what the C++ underneath could throw.
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "faxsvc/fax_service.h"
#include "faxsvc/zeltsvc.h"
#include "platform/export_guard.h"

namespace {

using ostrel::fax::FaxService;

FaxService& processService() {
  static FaxService service;
  return service;
}

// Workers still running at exit would otherwise outlive the statics they use
// (file caches, the registry store), which are destroyed in reverse order of
// creation; a handler registered at start runs before those go.
void stopAtExit() { processService().stop(); }

std::string text(const char* value) { return value ? value : ""; }

template <typename Call>
int guarded(Call call) noexcept {
  return ostrel::platform::guardExport(
      -1, call, [](const std::string& what) { std::fprintf(stderr, "Zeltsvc: %s\n", what.c_str()); });
}

}  // namespace

extern "C" {

int InitializeZelt(void) {
  return guarded([] { return processService().initialize(ostrel::fax::ServiceOptions::fromEnvironment()); });
}

int ChkZeltLogin(const char* userId, const char* password) {
  return guarded([&] { return processService().checkLogin(text(userId), text(password)); });
}

int GetCreditEx(const char* userId, const char* password) {
  return guarded([&] { return processService().credit(text(userId), text(password)); });
}

int GetMyFaxNo(const char* userId, const char* password, char* buffer) {
  return guarded([&] { return processService().ownNumber(text(userId), text(password), buffer); });
}

int ZeltServiceStart(void) {
  return guarded([] {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(stopAtExit); });
    return processService().start();
  });
}

void ZeltServiceStop(void) {
  guarded([] {
    processService().stop();
    return 0;
  });
}

}  // extern "C"
