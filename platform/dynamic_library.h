#pragma once
// A shared library loaded with dlopen and closed when the handle goes away.
#include <memory>
#include <optional>
#include <string>

namespace ostrel::platform {

class DynamicLibrary {
 public:
  // nullopt when the file is missing or does not load; error() of the attempt is
  // then in lastError.
  static std::optional<DynamicLibrary> open(const std::string& path, std::string* lastError = nullptr);

  // The address of an exported symbol, or nullptr.
  void* symbol(const char* name) const;

  template <typename Function>
  Function* function(const char* name) const {
    return reinterpret_cast<Function*>(symbol(name));
  }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  std::unique_ptr<void, Closer> handle_;
};

// The file of the loaded program or library that holds address (a function of
// the caller's own module, say); empty when the loader cannot tell.
std::string modulePathOf(const void* address);

}  // namespace ostrel::platform
