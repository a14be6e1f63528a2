#pragma once
// The activity log of the current test's temporary home, as its messages.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_home.h"

namespace ostrel::testing {

inline std::vector<std::string> logMessages() {
  std::vector<std::string> messages;
  const std::filesystem::path folder = tempRoot() + "/appdata/Ostrel";
  if (!std::filesystem::exists(folder)) return messages;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("OBX-") || !name.ends_with(".log")) continue;
    const std::string text = readFile(entry.path().string());
    std::size_t begin = 0;
    while (begin < text.size()) {
      std::size_t end = text.find("\r\n", begin);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(begin, end - begin);
      const std::size_t mark = line.find("] ");
      if (mark != std::string::npos) messages.push_back(line.substr(mark + 2));
      begin = end + 2;
    }
  }
  return messages;
}

}  // namespace ostrel::testing
