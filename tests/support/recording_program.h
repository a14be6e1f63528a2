#pragma once
// A program written by a test that records how it was started: its arguments,
// process, parent, process group, stdin, blocked signals and whether a given
// descriptor was open. It may then linger, or end with a given exit code. Each
// run leaves one record, so starts that run side by side are all seen. Processes
// still lingering when the object goes are ended with their process groups.
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_home.h"

namespace ostrel::testing {

struct ProgramRun {
  std::vector<std::string> arguments;  // without the program name
  int pid = 0;
  int parent = 0;
  int processGroup = 0;
  std::string stdinTarget;     // where fd 0 points
  std::string blockedSignals;  // SigBlk of /proc/<pid>/status
  bool sawWatchedDescriptor = false;
};

class RecordingProgram {
 public:
  // Descriptor number a test may leave open (without close-on-exec) to see
  // whether it reaches the program.
  static constexpr int kWatchedDescriptor = 77;

  struct Options {
    int lingerSeconds = 0;
    int exitCode = 0;
  };

  RecordingProgram(const std::string& path, Options options) : path_(path), runs_(path + ".runs") {
    std::filesystem::create_directories(runs_);
    const std::string out = quotedForShell(runs_);
    writeFile(path_,
              "#!/bin/sh\n"
              "out=" + out + "/$$\n"
              ": > \"$out.args\"\n"
              "[ $# -eq 0 ] || printf '%s\\0' \"$@\" > \"$out.args\"\n"
              "{\n"
              "  echo \"stat=$(cat /proc/$$/stat)\"\n"
              "  echo \"stdin=$(readlink /proc/$$/fd/0)\"\n"
              // Read by the shell itself: while it starts a command the shell
              // blocks every signal for a moment, which a child would see.
              "  while IFS= read -r line; do case $line in SigBlk:*) echo \"$line\";; esac; done < /proc/$$/status\n"
              "  if [ -e /proc/$$/fd/" + std::to_string(kWatchedDescriptor) + " ]; then echo watched=1; fi\n"
              "} > \"$out.tmp\"\n"
              "mv \"$out.tmp\" \"$out.run\"\n" +
                  (options.lingerSeconds > 0 ? "sleep " + std::to_string(options.lingerSeconds) + "\n" : "") +
                  "exit " + std::to_string(options.exitCode) + "\n");
    ::chmod(path_.c_str(), 0755);
  }
  explicit RecordingProgram(const std::string& path) : RecordingProgram(path, Options{}) {}

  ~RecordingProgram() {
    for (const ProgramRun& run : runs()) {
      if (run.processGroup > 0) ::kill(-run.processGroup, SIGKILL);
    }
  }
  RecordingProgram(const RecordingProgram&) = delete;
  RecordingProgram& operator=(const RecordingProgram&) = delete;

  const std::string& path() const { return path_; }

  // Every run recorded so far, in no particular order.
  std::vector<ProgramRun> runs() const {
    std::vector<ProgramRun> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(runs_, error)) {
      if (entry.path().extension() != ".run") continue;
      found.push_back(read(entry.path()));
    }
    return found;
  }

  // Waits until at least `count` runs are recorded.
  std::vector<ProgramRun> waitForRuns(std::size_t count,
                                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<ProgramRun> found = runs();
    while (found.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      found = runs();
    }
    return found;
  }

 private:
  static std::string quotedForShell(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
  }

  static ProgramRun read(const std::filesystem::path& record) {
    ProgramRun run;
    std::filesystem::path args = record;
    const std::string all = readFile(args.replace_extension(".args").string());
    for (std::size_t begin = 0; begin < all.size();) {
      const std::size_t end = all.find('\0', begin);
      run.arguments.push_back(all.substr(begin, end - begin));
      begin = end + 1;
    }
    const std::string text = readFile(record.string());
    std::map<std::string, std::string> fields;
    for (std::size_t begin = 0; begin < text.size();) {
      const std::size_t end = std::min(text.find('\n', begin), text.size());
      const std::string line = text.substr(begin, end - begin);
      const std::size_t separator = line.find_first_of("=:");
      if (separator != std::string::npos) fields[line.substr(0, separator)] = line.substr(separator + 1);
      begin = end + 1;
    }
    // /proc/<pid>/stat: pid (name) state parent group ...; the name may hold blanks.
    const std::string& stat = fields["stat"];
    const std::size_t close = stat.rfind(')');
    if (close != std::string::npos) {
      char state = 0;
      std::sscanf(stat.c_str(), "%d", &run.pid);
      std::sscanf(stat.c_str() + close + 1, " %c %d %d", &state, &run.parent, &run.processGroup);
    }
    run.stdinTarget = fields["stdin"];
    const std::string& blocked = fields["SigBlk"];
    run.blockedSignals = blocked.substr(std::min(blocked.find_first_not_of(" \t"), blocked.size()));
    run.sawWatchedDescriptor = fields.count("watched") > 0;
    return run;
  }

  std::string path_;
  std::string runs_;
};

}  // namespace ostrel::testing
