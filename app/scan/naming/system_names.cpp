#include "app/scan/naming/system_names.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace ostrel {

std::optional<std::string> systemUserName() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_name || !*found->pw_name) {
    return std::nullopt;
  }
  return std::string(found->pw_name);
}

std::optional<std::string> systemComputerName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || !name[0]) return std::nullopt;
  return std::string(name);
}

}  // namespace ostrel
