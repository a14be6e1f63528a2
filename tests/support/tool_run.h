#pragma once
// A program of the build run through the shell, its output (stdout and
// stderr together) and exit status collected.
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace ostrel::testing {

struct ToolRun {
  int status;
  std::string output;
};

inline ToolRun runTool(const std::string& commandLine) {
  const std::string command = commandLine + " 2>&1";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ToolRun run{-1, {}};
  if (!pipe) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace ostrel::testing
