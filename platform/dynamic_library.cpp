#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace ostrel::platform {

void DynamicLibrary::Closer::operator()(void* handle) const {
  if (handle) ::dlclose(handle);
}

std::optional<DynamicLibrary> DynamicLibrary::open(const std::string& path, std::string* lastError) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (lastError) {
      const char* error = ::dlerror();
      *lastError = error ? error : "cannot load " + path;
    }
    return std::nullopt;
  }
  return DynamicLibrary(handle);
}

void* DynamicLibrary::symbol(const char* name) const {
  return handle_ ? ::dlsym(handle_.get(), name) : nullptr;
}

std::string modulePathOf(const void* address) {
  Dl_info info{};
  if (::dladdr(address, &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

}  // namespace ostrel::platform
