#include "app/core/obx_app.h"

#include "platform/activity_log.h"
#include "app/core/command_line.h"
#include "app/core/manager_messages.h"
#include "app/core/startup_marker.h"
#include "platform/environment.h"

namespace ostrel {

namespace {

StartResult refused(int exitStatus, const CommandLine& commandLine, const std::string& reason) {
  const std::string name = programName(commandLine.program);
  return {false, {}, name + ": " + reason + "\nTry \"" + name + " --help\".\n", exitStatus};
}

}  // namespace

StartResult COBXApp::start(const CommandLine& commandLine) {
  ActivityLog::removeOldLogs();
  Log(commandLine.text);  // the log turns any line break in it into a blank
  Log("Ostrel Start Up...");
  switch (startForm(commandLine)) {
    case StartForm::Scanner:
      return startForScanner(commandLine);
    case StartForm::Uninstall:
      parts_.installation.cleanUpBeforeRemoval();
      Log("Ostrel exit.");
      return {};
    case StartForm::Install:
      parts_.installation.registerAfterInstall(productCode(commandLine.text));
      Log("Ostrel exit.");
      return {};
    case StartForm::Configure:
      Log("Ostrel is searching for valid scanners...");
      parts_.installation.startAllConfigurations();
      Log("Ostrel exit.");
      return {};
    case StartForm::StartAll:
      Log("Ostrel is searching for valid scanners...");
      parts_.installation.startAllManagers();
      Log("Ostrel exit");
      return {};
    case StartForm::Help:
      Log("Ostrel shows its usage and exits.");
      return {false, usageText(commandLine.program), {}, 0};
    case StartForm::Unknown:
      Log("Ostrel exits due to invalid command line.");
      return refused(kInvalidCommandLine, commandLine,
                     "invalid command line: unknown argument \"" + commandLine.arguments.front() + "\".");
  }
  return {};
}

StartResult COBXApp::startForScanner(const CommandLine& commandLine) {
  const auto device = stiDeviceName(commandLine.text);
  if (!device) {
    Log("Ostrel exits due to invalid command line.");
    return refused(kInvalidCommandLine, commandLine,
                   "invalid command line: \"/StiDevice:DEVICE\" needs a blank after the device "
                   "name, as in \"/StiDevice:DEVICE /StiEvent:EVENT\".");
  }
  if (!parts_.scanner.findDriver(*device)) {
    Log("Ostrel exits due to no scanner matched.");
    return refused(kNoScannerMatched, commandLine,
                   "no scanner is registered as \"" + *device +
                       "\"; `ostrel-device list` shows the registered scanners.");
  }
  const std::string name = parts_.scanner.scannerName();
  applicationLog().setScannerName(name);
  const int code = eventCode(stiEventText(commandLine.text));

  const std::string folder = scannerFolder(name);
  platform::createFolder(folder);
  bool running = false;
  if (!readStartupMarker(name)) {
    writeStartupMarker(name, true);
    ownsMarker_ = true;
  } else {
    running = searchRunningManager(name);
    // Not found: the marker was left by a manager that did not end cleanly.
    ownsMarker_ = !running;
  }

  if (code < 0) {
    Log("Ostrel close the existing OBX.");
    platform::postToManager(name, {manager_message::kCommand, manager_message::kExitCommand, 0});
    Log("Ostrel exits.");
    return {};
  }
  if (code > 0 && running) {
    forwardEvent(name, code);
    Log("Ostrel exit.");
    return {};
  }
  if (code == 0 && running) {
    Log("Ostrel exits due to other application existing.");
    return {};
  }
  pendingEventCode_ = code;

  if (!parts_.scanner.queryAbilities()) {
    Log("Ostrel exit due to setup scanner failed.");
    return {};
  }
  Log("Load ABBYY engine.");
  parts_.job.loadRecognitionEngine();
  platform::createFolder(folder);
  parts_.profiles.createOrLoad(folder, parts_.scanner.buttonCount());
  return {true, {}, {}, 0};
}

bool COBXApp::searchRunningManager(const std::string& scannerName) {
  for (int attempt = 0; attempt < kSearchTries; ++attempt) {
    if (platform::findManager(scannerName)) return true;
    parts_.wait(kSearchPause);
  }
  return false;
}

void COBXApp::forwardEvent(const std::string& scannerName, int code) {
  Log("Ostrel post a message to the existing OBX.");
  switch (platform::postToManager(scannerName,
                                  {manager_message::kButtonEvent, eventButton(code), eventKind(code)})) {
    case platform::PostResult::Delivered:
      break;
    case platform::PostResult::Busy:
      Log("The existing OBX is busy and takes no more button events for now; this press is dropped.");
      break;
    case platform::PostResult::NoManager:
      Log("Ostrel could not reach the existing OBX.");
      break;
  }
}

platform::ManagerListener COBXApp::claimManagerSocket() {
  const std::string name = parts_.scanner.scannerName();
  auto listener = platform::ManagerListener::listen(name);
  switch (listener.state()) {
    case platform::ManagerListener::State::Listening:
      break;
    case platform::ManagerListener::State::ManagerRunning:
      // That manager wrote the marker too and clears it when it ends.
      ownsMarker_ = false;
      if (pendingEventCode_ != 0) {
        forwardEvent(name, pendingEventCode_);
        Log("Ostrel exit.");
      } else {
        Log("Ostrel exits due to other application existing.");
      }
      break;
    case platform::ManagerListener::State::Failed:
      Log("Ostrel cannot receive button events: " + listener.error());
      Log("Ostrel exit.");
      break;
  }
  return listener;
}

void COBXApp::finish() {
  parts_.profiles.release();
  if (ownsMarker_) writeStartupMarker(parts_.scanner.scannerName(), false);
}

}  // namespace ostrel
