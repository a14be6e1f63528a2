#include "bench/pipeline/bench_home.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

namespace ostrel::bench {

namespace {

// Removed when the benchmark program ends.
struct TemporaryHome {
  TemporaryHome() {
    path = (std::filesystem::temp_directory_path() / "ostrel-bench-XXXXXX").string();
    if (!::mkdtemp(path.data())) std::abort();
    ::setenv("APPDATA", (path + "/appdata").c_str(), 1);
    ::setenv("HOME", (path + "/home").c_str(), 1);
    ::setenv("OSTREL_REGISTRY", (path + "/registry").c_str(), 1);
  }
  ~TemporaryHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

}  // namespace

const std::string& temporaryHome() {
  static const TemporaryHome home;
  return home.path;
}

// A message during a benchmark means the figures are not the pipeline's.
void UnattendedUserInterface::showMessage(std::string_view text, MessageKind) {
  std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace ostrel::bench
