#include "bench/pipeline/bench_home.h"

#include <stdlib.h>

#include <cstdio>

#include "bench/support/temporary_folder.h"

namespace ostrel::bench {

const std::string& temporaryHome() {
  const std::string& path = temporaryFolder();
  static const bool pointed = [&] {
    ::setenv("APPDATA", (path + "/appdata").c_str(), 1);
    ::setenv("HOME", (path + "/home").c_str(), 1);
    ::setenv("OSTREL_REGISTRY", (path + "/registry").c_str(), 1);
    return true;
  }();
  (void)pointed;
  return path;
}

// A message during a benchmark means the figures are not the pipeline's.
void UnattendedUserInterface::showMessage(std::string_view text, MessageKind) {
  std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace ostrel::bench
