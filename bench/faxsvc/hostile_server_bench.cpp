// The fax library against hostile servers, end to end over loopback: a login
// answer dripped one byte per time unit, a 64 MiB conversion answer whose name
// list is all commas, and one that returns 6,000 files under a single name;
// and the parse of the worst 64 MiB name lists on its own.
// Times are real times; memory is the process's peak resident size above what
// it held just before the answer went out (the in-process server's own copy of
// the message included).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "bench/support/temporary_folder.h"
#include "faxsvc/fax_service.h"
#include "faxsvc/protocol.h"
#include "platform/ini_file.h"
#include "tools/fakefaxd/fake_fax_server.h"

namespace {

using namespace ostrel;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::size_t kInflatedMessage = 64u << 20;
constexpr int kRepeatedFiles = 6000;

// The peak resident size restarts from the current one (Linux 4.0 and later).
void resetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

// VmHWM or VmRSS of this process, in KiB.
long statusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  }
  return 0;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool waitUntil(const std::function<bool()>& condition, std::chrono::seconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A program folder of its own for each run, the credentials in a scratch
// registry, and a service on a short time unit pointed at the fake server.
struct Run {
  explicit Run(std::chrono::milliseconds tick) {
    static int runs = 0;
    const std::string& root = bench::temporaryFolder();
    ::setenv("OSTREL_REGISTRY", (root + "/registry").c_str(), 1);
    ::setenv("HOME", root.c_str(), 1);
    folder = root + "/run" + std::to_string(++runs);
    fs::create_directories(folder);
    std::ofstream(folder + "/ZeltSvc.ini") << "[Env]\r\nServerIP=127.0.0.1\r\nRecvMode=0\r\n";
    options.programDirectory = folder;
    options.port = server.port();
    options.timing.tick = tick;
    service.initialize(options);
  }

  bool start() { return service.checkLogin("alice", "secret") == 0 && service.start() == 0; }

  // A result file the send connection's answer can be written into.
  std::string resultFile(const std::string& fod) const {
    const std::string path = folder + "/Send/" + fod + ".rlt";
    std::ofstream(path) << "[Lumora]\r\nintState=1\r\nResultCode=0\r\n";
    return path;
  }

  static bool pagesWritten(const std::string& resultFile, int pages) {
    return platform::GetPrivateProfileInt("Lumora", "intPages", 0, resultFile) == pages;
  }

  std::string folder;
  fax::ServiceOptions options;
  fakefax::FakeFaxServer server;
  fax::FaxService service;
};

// The login answer arrives one byte per time unit, each byte well inside the
// stall limit. Figures in time units, so runs at any unit compare.
void BM_LoginAgainstDrippingServer(benchmark::State& state) {
  const std::chrono::milliseconds tick(state.range(0));
  for (auto _ : state) {
    Run run(tick);
    run.server.setAnswerPace(tick);
    const auto begun = Clock::now();
    const int result = run.service.checkLogin("alice", "secret");
    const auto took = Clock::now() - begun;
    state.SetIterationTime(seconds(took));
    state.counters["time_units"] = seconds(took) / seconds(tick);
    state.counters["result"] = result;
    run.server.setAnswerPace(std::chrono::milliseconds(0));
  }
}
// 10 ms is the tests' sort of unit; 1000 ms is the unit as shipped.
BENCHMARK(BM_LoginAgainstDrippingServer)
    ->ArgName("tick_ms")
    ->Arg(10)
    ->Arg(1000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

fakefax::Bytes inflatedFrame(const std::string& fod) {
  const std::size_t listLength = kInflatedMessage - 49 - 4 - 3;
  return fakefax::conversionAnswerFrame(fod, 7, std::string(listLength, ','), {fakefax::Bytes(3, 1)});
}

// One 64 MiB conversion answer whose name list is all commas: the time until
// its result is written, and the peak memory on the way.
void BM_InflatedNameList(benchmark::State& state) {
  for (auto _ : state) {
    Run run(std::chrono::milliseconds(10));
    if (!run.start()) state.SkipWithError("the service did not start");
    const std::string result = run.resultFile("INFLATED");
    fakefax::Bytes frame = inflatedFrame("INFLATED");
    resetPeakMemory();
    const long before = statusKiB("VmRSS:");
    const auto begun = Clock::now();
    run.server.queueRaw('A', std::move(frame));
    if (!waitUntil([&] { return Run::pagesWritten(result, 7); }, std::chrono::seconds(600))) {
      state.SkipWithError("the answer was never handled");
    }
    state.SetIterationTime(seconds(Clock::now() - begun));
    state.counters["peak_above_MiB"] = static_cast<double>(statusKiB("VmHWM:") - before) / 1024;
  }
}
BENCHMARK(BM_InflatedNameList)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The same answer, with the stop asked for one second after it went out.
void BM_StopAfterInflatedNameList(benchmark::State& state) {
  for (auto _ : state) {
    Run run(std::chrono::milliseconds(10));
    if (!run.start()) state.SkipWithError("the service did not start");
    run.resultFile("INFLATED");
    run.server.queueRaw('A', inflatedFrame("INFLATED"));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto stopping = Clock::now();
    run.service.stop();
    state.SetIterationTime(seconds(Clock::now() - stopping));
  }
}
BENCHMARK(BM_StopAfterInflatedNameList)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The parse alone, for the worst lists a 64 MiB answer can hold: one name that
// is the whole list, and commas only with as many files as may be announced.
void BM_ParseInflatedAnswer(benchmark::State& state) {
  const bool commas = state.range(0) != 0;
  const std::uint32_t files = commas ? fax::kMaxReturnedFiles : 1;
  const std::size_t listLength = kInflatedMessage - 49 - 4 * files;
  const fakefax::Bytes frame = fakefax::conversionAnswerFrame(
      "INFLATED", 7, std::string(listLength, commas ? ',' : 'n'), std::vector<fakefax::Bytes>(files));
  resetPeakMemory();
  const long before = statusKiB("VmRSS:");
  for (auto _ : state) {
    const auto ack = fax::parseConversionAck(fax::MessageView(frame));
    if (!ack || ack.value->files.size() != files) state.SkipWithError("the answer was not parsed");
    benchmark::DoNotOptimize(ack);
  }
  state.counters["peak_above_MiB"] = static_cast<double>(statusKiB("VmHWM:") - before) / 1024;
}
BENCHMARK(BM_ParseInflatedAnswer)->ArgName("commas")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

fakefax::Bytes repeatedNamesFrame(const std::string& fod) {
  std::string names = "p.tif";
  for (int i = 1; i < kRepeatedFiles; ++i) names += ",p.tif";
  return fakefax::conversionAnswerFrame(fod, 7, names,
                                       std::vector<fakefax::Bytes>(kRepeatedFiles, {'T', 'I', 'F'}));
}

// 6,000 returned files all named p.tif: the time to store them all.
void BM_StoreRepeatedNames(benchmark::State& state) {
  for (auto _ : state) {
    Run run(std::chrono::milliseconds(10));
    if (!run.start()) state.SkipWithError("the service did not start");
    const std::string result = run.resultFile("REPEATED");
    const auto begun = Clock::now();
    run.server.queueRaw('A', repeatedNamesFrame("REPEATED"));
    if (!waitUntil([&] { return Run::pagesWritten(result, 7); }, std::chrono::seconds(600))) {
      state.SkipWithError("the answer was never handled");
    }
    state.SetIterationTime(seconds(Clock::now() - begun));
  }
}
BENCHMARK(BM_StoreRepeatedNames)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The same answer, with the stop asked for as soon as the first file is stored.
void BM_StopWhileStoringRepeatedNames(benchmark::State& state) {
  for (auto _ : state) {
    Run run(std::chrono::milliseconds(10));
    if (!run.start()) state.SkipWithError("the service did not start");
    run.resultFile("REPEATED");
    run.server.queueRaw('A', repeatedNamesFrame("REPEATED"));
    if (!waitUntil([&] { return fs::exists(run.folder + "/Tif/p.tif"); }, std::chrono::seconds(600))) {
      state.SkipWithError("no file was stored");
    }
    const auto stopping = Clock::now();
    run.service.stop();
    state.SetIterationTime(seconds(Clock::now() - stopping));
    state.counters["stored"] =
        static_cast<double>(std::distance(fs::directory_iterator(run.folder + "/Tif"), fs::directory_iterator()));
  }
}
BENCHMARK(BM_StopWhileStoringRepeatedNames)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
