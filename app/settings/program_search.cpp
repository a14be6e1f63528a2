#include "app/settings/program_search.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel {

std::string findProgramOnPath(std::span<const std::string_view> names) {
  const char* variable = std::getenv("PATH");
  const std::string_view path = variable ? variable : "";
  for (std::string_view name : names) {
    std::size_t begin = 0;
    while (begin <= path.size()) {
      const std::size_t end = std::min(path.find(':', begin), path.size());
      const std::string_view folder = path.substr(begin, end - begin);
      begin = end + 1;
      // An empty entry would mean the current folder, which says nothing about
      // what is installed; only absolute folders count.
      if (folder.empty() || folder.front() != '/') continue;
      const std::string candidate = platform::joinPath(folder, name);
      if (platform::fileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
  }
  return {};
}

}  // namespace ostrel
