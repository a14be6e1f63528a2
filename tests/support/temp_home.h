#pragma once
// Every test runs in its own temporary home: APPDATA, OSTREL_REGISTRY, HOME and
// XDG_RUNTIME_DIR point into a fresh folder that is removed afterwards, so no
// test ever touches the real user's files or sees another test's.
#include <string>

namespace ostrel::testing {

// The current test's temporary root (valid while a test runs).
const std::string& tempRoot();

// Registers the listener that makes the temporary home around every test.
void installTempHome();

// Writes a file, creating missing folders; returns its path.
std::string writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);

// Folders of the build: build/bin (the program's folder) and the source tree.
std::string binDir();
std::string sourceDir();

}  // namespace ostrel::testing
