#include "tests/settings/settings_test_support.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/text.h"
#include "tests/support/temp_home.h"

namespace ostrel::testing {

ScopedPath::ScopedPath(const std::string& folder) {
  if (const char* path = std::getenv("PATH")) {
    saved_ = path;
    hadPath_ = true;
  }
  ::setenv("PATH", folder.c_str(), 1);
}

ScopedPath::~ScopedPath() {
  if (hadPath_) {
    ::setenv("PATH", saved_.c_str(), 1);
  } else {
    ::unsetenv("PATH");
  }
}

std::string makeProgram(const std::string& folder, const std::string& name) {
  const std::string path = writeFile(platform::joinPath(folder, name), "#!/bin/sh\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

std::string fakeBinFolder() { return tempRoot() + "/bin"; }

std::string scannerFile(const std::string& name) {
  const std::string folder = tempRoot() + "/scanner";
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

}  // namespace ostrel::testing
