#include "tests/support/temp_home.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace ostrel::testing {

namespace {

std::string& currentRoot() {
  static std::string root;
  return root;
}

std::string environmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

class TempHomeListener : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo&) override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    currentRoot() = pattern;
    const std::filesystem::path root(pattern);
    for (const char* sub : {"home", "appdata", "registry", "runtime"}) {
      std::filesystem::create_directories(root / sub);
    }
    std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
    ::setenv("HOME", (root / "home").c_str(), 1);
    ::setenv("APPDATA", (root / "appdata").c_str(), 1);
    ::setenv("OSTREL_REGISTRY", (root / "registry").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root / "runtime").c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CONFIG_HOME");
  }
  void OnTestEnd(const ::testing::TestInfo& info) override {
    std::error_code ignored;
    if (!info.result() || !info.result()->Failed()) {
      std::filesystem::remove_all(currentRoot(), ignored);
    } else {
      std::fprintf(stderr, "Kept the failed test's files in %s\n", currentRoot().c_str());
    }
    currentRoot().clear();
  }
};

}  // namespace

const std::string& tempRoot() { return currentRoot(); }

std::string writeFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return path;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::string binDir() { return environmentOr("OSTREL_BIN_DIR", OSTREL_DEFAULT_BIN_DIR); }
std::string sourceDir() { return environmentOr("OSTREL_SOURCE_DIR", OSTREL_DEFAULT_SOURCE_DIR); }

void installTempHome() {
  // Windows open offscreen unless a test run asks for a display.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The listener list takes ownership of what it is given.
  ::testing::UnitTest::GetInstance()->listeners().Append(std::make_unique<TempHomeListener>().release());
}

}  // namespace ostrel::testing
