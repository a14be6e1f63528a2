#pragma once
// OBX and ostrel-device as processes in the test's temporary home: registering
// virtual scanners, starting a manager, forwarding events to it, and reading
// the activity log it writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/manager_channel.h"
#include "tests/manager/child_process.h"
#include "tests/manager/log_reader.h"
#include "tests/support/temp_home.h"

namespace ostrel::testing {

inline constexpr const char* kManagerEvent = "{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}";
inline constexpr const char* kUnknownEvent = "{00000000-0000-0000-0000-000000000000}";

// The event of scanner button 1 to 9 (one side).
inline std::string buttonEvent(int number) {
  return "{2f596c8" + std::to_string(number - 1) + "-76ec-11da-aafd-0050ba1aca6f}";
}

inline std::string obx() { return binDir() + "/OBX"; }

// ostrel-device add-virtual with the given options after the model.
inline bool addVirtualScanner(const std::string& deviceId, const std::string& model,
                              const std::vector<std::string>& options = {}) {
  std::vector<std::string> arguments{binDir() + "/ostrel-device", "add-virtual", deviceId, model};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return ChildProcess::run(arguments) == 0;
}

// The manager of a scanner, started with the manager event; ready once its
// socket answers.
inline ChildProcess startManager(const std::string& deviceId, const std::string& scannerName) {
  ChildProcess manager = ChildProcess::start({obx(), "/StiDevice:" + deviceId + " /StiEvent:" + kManagerEvent});
  EXPECT_TRUE(manager.started());
  EXPECT_TRUE(eventually([&] { return platform::findManager(scannerName); }));
  return manager;
}

inline std::optional<int> sendEvent(const std::string& deviceId, const std::string& event) {
  // Split arguments here; the manager itself was started with one quoted argument.
  return ChildProcess::run({obx(), "/StiDevice:" + deviceId, "/StiEvent:" + event});
}

inline bool logHas(const std::string& message) {
  const auto log = logMessages();
  return std::find(log.begin(), log.end(), message) != log.end();
}

// Every log file's text, with the scanner names of its lines.
inline std::string logText() {
  std::string text;
  const std::filesystem::path folder = tempRoot() + "/appdata/Ostrel";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".log") text += readFile(entry.path().string());
  }
  return text;
}

}  // namespace ostrel::testing
