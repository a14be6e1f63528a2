// A manager of a SANE scanner with button sensors (our test backend), run as
// the real program:
//   SensorFlipToFirstPage: from a sensor turning on to the first page asked of
//       the scanner (its sane_start), the press taking the poll, the dispatch,
//       the job's start and the session's open on the way. Goal: under 300 ms.
//   IdleManagerCpu: the CPU time of a manager that waits for a press over a
//       few seconds, in percent of one core, while it polls the sensors every
//       150 ms (source 0) and, to compare, with its button source "none"
//       (source 1). Goal while polling: under 0.5 %.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/settings/scanner_folder.h"
#include "bench/support/temporary_folder.h"
#include "imaging/format_codes.h"
#include "platform/environment.h"
#include "platform/ini_file.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

std::string binFolder() { return (fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin").string(); }

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path + ".new", std::ios::binary) << text;
  fs::rename(path + ".new", path);
}

pid_t spawn(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  return ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Runs a tool to its end, its output dropped.
int run(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  ::posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds timeout = 30s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

// The temporary home with the scanner "office" and its button 1 storing grey
// 100 dpi pages, its SANE configuration naming only the sensor backend.
class Bench {
 public:
  Bench() {
    home_ = ostrel::bench::temporaryFolder() + "/home";
    sane_ = home_ + "/sane";
    fs::create_directories(sane_);
    fs::create_directories(home_ + "/run");
    ::chmod((home_ + "/run").c_str(), 0700);
    const std::vector<std::pair<const char*, std::string>> environment{
        {"HOME", home_}, {"APPDATA", home_ + "/appdata"}, {"OSTREL_REGISTRY", home_ + "/registry"},
        {"XDG_RUNTIME_DIR", home_ + "/run"}, {"SANE_CONFIG_DIR", sane_}, {"QT_QPA_PLATFORM", "offscreen"},
        {"LD_LIBRARY_PATH", (fs::path(binFolder()).parent_path() / "tools/sanetest").string()}};
    for (const auto& [name, value] : environment) ::setenv(name, value.c_str(), 1);
    writeText(sane_ + "/dll.conf", "ostreltest\n");
    // One sheet a press; no log line per sensor read, which would cost the
    // manager's reads a write each.
    writeText(sane_ + "/ostreltest.conf", "pages 1\nlog-sensor-reads no\n");
    writeText(sane_ + "/ostreltest.sensors", "scan 0\n");
    run({binFolder() + "/ostrel-device", "add-sane", "office", "ostreltest:sensors", "--model", "Office"});
    const std::string folder = ostrel::scannerFolder("Office");
    ostrel::platform::createFolderTree(folder);
    const auto write = [&](const char* file, const char* key, const std::string& value) {
      ostrel::platform::WritePrivateProfileString(file[0] == 'B' ? "1" : "0", key, value, folder + file);
    };
    write("ApplicationSetting.ini", "Valid", "1");
    write("ApplicationSetting.ini", "Title", "Storage");
    for (const auto& [key, value] : {std::pair{"Valid", "1"}, {"Title", "Grey"}, {"Automatic", "0"},
                                     {"PaperSize", "4"}, {"Resolution", "100"}, {"ScanMode", "1"}}) {
      write("ScanSetting.ini", key, value);
    }
    write("ButtonSetting.ini", "Title", "one");
    write("ButtonSetting.ini", "ScanSetting", "Grey");
    write("ButtonSetting.ini", "ApplicationSetting", "Storage");
    write("ButtonSetting.ini", "ImageFolder", home_ + "/out");
    write("ButtonSetting.ini", "FileFormat", std::to_string(ostrel::format::kJpeg));
  }
  ~Bench() { stopManager(); }

  void setSource(const char* source) {
    run({binFolder() + "/ostrel-device", "sensors", "office", "--source", source});
  }

  // Ready once the log says the poll runs, or that the buttons are not read.
  bool startManager(const std::string& readyLine) {
    const std::size_t before = count(readyLine);
    manager_ = spawn({binFolder() + "/OBX", "/StiDevice:office /StiEvent:{d87c0866-dd6d-11d7-aafb-0050ba1aca6f}"});
    return manager_ > 0 && waitFor([&] { return count(readyLine) > before; });
  }
  void stopManager() {
    if (manager_ <= 0) return;
    ::kill(manager_, SIGTERM);
    int status = 0;
    ::waitpid(manager_, &status, 0);
    manager_ = -1;
  }
  pid_t manager() const { return manager_; }

  std::size_t count(const std::string& text) const {
    std::size_t n = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(home_ + "/appdata/Ostrel", error)) {
      if (entry.path().extension() != ".log") continue;
      const std::string log = readText(entry.path().string());
      for (std::size_t at = 0; (at = log.find(text, at)) != std::string::npos; ++at) ++n;
    }
    return n;
  }

  void setScan(int value) { writeText(sane_ + "/ostreltest.sensors", "scan " + std::to_string(value) + "\n"); }

  // The time of the last page started, from the backend's log (Unix ms); 0 for none.
  long long lastPageStart() const {
    std::istringstream lines(readText(sane_ + "/ostreltest.log"));
    long long last = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.find(" start page ") == std::string::npos) continue;
      last = std::stoll(line.substr(0, line.find(' ')));
    }
    return last;
  }

 private:
  std::string home_;
  std::string sane_;
  pid_t manager_ = -1;
};

Bench& bench() {
  static Bench instance;
  return instance;
}

constexpr const char* kPolling = "The scanner's buttons are read every";
constexpr const char* kNotRead = "The scanner's buttons are not read (button source none).";

long long unixMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void BM_SensorFlipToFirstPage(benchmark::State& state) {
  Bench& b = bench();
  b.stopManager();
  b.setSource("poll");
  if (!b.startManager(kPolling)) {
    state.SkipWithError("the manager did not start polling");
    return;
  }
  for (auto _ : state) {
    const long long before = b.lastPageStart();
    const std::size_t finished = b.count("Button 1 finished its scan job");
    b.setScan(0);
    std::this_thread::sleep_for(400ms);  // the poll sees the button up
    const long long flipped = unixMs();
    b.setScan(1);
    if (!waitFor([&] { return b.lastPageStart() > before; })) {
      state.SkipWithError("no page was asked for");
      return;
    }
    state.SetIterationTime(static_cast<double>(b.lastPageStart() - flipped) / 1000.0);
    waitFor([&] { return b.count("Button 1 finished its scan job") > finished; });
  }
  b.stopManager();
}
BENCHMARK(BM_SensorFlipToFirstPage)->UseManualTime()->Iterations(12)->Unit(benchmark::kMillisecond);

// CPU time of every thread of the process, in nanoseconds.
long long processCpuNanoseconds(pid_t pid) {
  long long total = 0;
  std::error_code error;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    long long thread = 0;
    std::istringstream(readText(task.path().string() + "/schedstat")) >> thread;
    total += thread;
  }
  return total;
}

void BM_IdleManagerCpu(benchmark::State& state) {
  Bench& b = bench();
  const bool polling = state.range(0) == 0;
  b.stopManager();
  b.setSource(polling ? "poll" : "none");
  if (!b.startManager(polling ? kPolling : kNotRead)) {
    state.SkipWithError("the manager did not start");
    return;
  }
  std::this_thread::sleep_for(2s);  // start-up settles
  double percent = 0;
  for (auto _ : state) {
    const long long cpuBefore = processCpuNanoseconds(b.manager());
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(5s);
    const long long cpu = processCpuNanoseconds(b.manager()) - cpuBefore;
    const auto wall = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - wallBefore).count();
    percent = 100.0 * static_cast<double>(cpu) / wall;
    state.SetIterationTime(static_cast<double>(cpu) / 1e9);
  }
  state.counters["cpu_percent_of_one_core"] = percent;
  b.stopManager();
}
BENCHMARK(BM_IdleManagerCpu)->Arg(0)->Arg(1)->ArgNames({"poll0_none1"})->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
