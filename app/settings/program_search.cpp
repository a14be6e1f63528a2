#include "app/settings/program_search.h"

#include "platform/shell_execute.h"

namespace ostrel {

std::string findProgramOnPath(std::span<const std::string_view> names) {
  for (std::string_view name : names) {
    if (std::string found = platform::findOnPath(name); !found.empty()) return found;
  }
  return {};
}

}  // namespace ostrel
