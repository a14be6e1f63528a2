#include "bench/support/temporary_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

namespace ostrel::bench {

namespace {

struct TemporaryFolder {
  TemporaryFolder() {
    path = (std::filesystem::temp_directory_path() / "ostrel-bench-XXXXXX").string();
    if (!::mkdtemp(path.data())) std::abort();
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  std::string path;
};

}  // namespace

const std::string& temporaryFolder() {
  static const TemporaryFolder folder;
  return folder.path;
}

}  // namespace ostrel::bench
