#pragma once
// The application object: the start-up that decides what this copy of the
// program does, and the exit step that runs whatever path the start took.
//
// start() runs the common start and dispatches on the command line. For a
// scanner it matches the device, reads the marker, searches for a running
// manager, forwards to it or becomes the manager; its result says whether this
// copy must now run the manager's panel. finish() is the exit step and must be
// called on every path.
#include <chrono>
#include <functional>
#include <string>

#include "app/core/command_line.h"
#include "app/core/manager_interfaces.h"
#include "platform/manager_channel.h"

namespace ostrel {

struct StartupParts {
  ScannerDriver& scanner;
  ButtonProfiles& profiles;
  ScanJob& job;
  InstallationTasks& installation;
  // How the manager search waits between its tries; tests count the waits.
  std::function<void(std::chrono::milliseconds)> wait;
};

// Besides the log, a person who started the program by hand learns from the
// output and the exit status why nothing ran.
struct StartResult {
  bool runManager = false;
  std::string output;  // for standard output
  std::string error;   // for standard error
  int exitStatus = 0;
};

class COBXApp {
 public:
  // The search for a running manager: this many tries, a pause after each miss.
  static constexpr int kSearchTries = 15;
  static constexpr std::chrono::milliseconds kSearchPause{200};

  explicit COBXApp(StartupParts parts) : parts_(std::move(parts)) {}

  // Exit statuses of a start that cannot be served.
  static constexpr int kInvalidCommandLine = 2;
  static constexpr int kNoScannerMatched = 1;

  StartResult start(const CommandLine& commandLine);

  // Claims the scanner's manager socket when the panel opens. When another
  // manager already answers there (two copies that started together both took
  // the marker), this copy hands its pending event to that one instead and gives
  // the marker up; the result then is not listening, this copy's end is logged,
  // and the panel must not run.
  platform::ManagerListener claimManagerSocket();

  // The event code the manager must act on once its panel is up; 0 for none.
  int pendingEventCode() const { return pendingEventCode_; }
  void clearPendingEventCode() { pendingEventCode_ = 0; }

  void finish();

 private:
  StartResult startForScanner(const CommandLine& commandLine);
  bool searchRunningManager(const std::string& scannerName);
  void forwardEvent(const std::string& scannerName, int code);

  StartupParts parts_;
  int pendingEventCode_ = 0;
  bool ownsMarker_ = false;
};

}  // namespace ostrel
