#pragma once
// Helpers for the settings tests: fake installed programs and a $PATH that sees
// only them, so nothing depends on what the test machine has installed.
#include <string>

namespace ostrel::testing {

// Points $PATH at one folder for the life of the object.
class ScopedPath {
 public:
  explicit ScopedPath(const std::string& folder);
  ~ScopedPath();
  ScopedPath(const ScopedPath&) = delete;
  ScopedPath& operator=(const ScopedPath&) = delete;

 private:
  std::string saved_;
  bool hadPath_ = false;
};

// Creates an executable file; returns its path.
std::string makeProgram(const std::string& folder, const std::string& name);

// Folder of fake programs inside the test's temporary root.
std::string fakeBinFolder();

// A profile file's path in a per-scanner folder that exists, as start-up leaves it.
std::string scannerFile(const std::string& name);

}  // namespace ostrel::testing
