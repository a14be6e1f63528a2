// A multi-page PDF job from the virtual source to the file: the TWAIN session
// through the source manager beside the program, the job's page step and the
// PDF writer, as a press of the built-in Storage button runs it (black and
// white at 200 dpi) and in colour at 300 dpi, for 20 and for 100 pages.
// BM_PdfJobOnWorker runs the same job as the program does, on the job runner's
// worker thread (its own malloc arena), while this thread waits.
//
//   taskset -c 1 build/bench/bench_pdf_job
//
// "page" is the time per page, the virtual source's drawing of each sheet
// included. "peak_MB" is the process's peak resident memory so far: the
// virtual source runs in this process and keeps up to 256 MB of drawn sheets,
// and what matters is that 100 pages need no more than 20.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <future>

#include "app/core/job_runner.h"
#include "app/scan/twain/twain_scan_session.h"
#include "app/scan/job/output_job.h"
#include "bench/pipeline/bench_home.h"
#include "scanners/ostrel-device/device_registration.h"

namespace {

using namespace ostrel;

void runPdfJob(benchmark::State& state, bool onWorker) {
  const std::string& home = bench::temporaryHome();
  const int pages = static_cast<int>(state.range(0));
  const bool colour = state.range(1) == 1;
  const std::string deviceId = "bench-pdf-" + std::to_string(pages) + "-" + std::to_string(state.range(1));
  virtualscanner::VirtualDevice device;
  device.model = "Tern";
  device.generatedPages = pages;
  if (!devicetool::addVirtualDevice(deviceId, device, OSTREL_BENCH_BIN_DIR "/libnvdriver.so").ok) {
    state.SkipWithError("the virtual scanner was not registered");
    return;
  }
  ScannerConfig config;
  if (config.FindDriver(deviceId) != 1 || config.QueryScannerAbilities() != 1) {
    state.SkipWithError("the virtual scanner was not found");
    return;
  }

  bench::UnattendedUserInterface ui;
  bench::StorageOnlyDelivery delivery;
  OutputJob job({ui, delivery, home + "/program"});
  TwainScanSession session(config, ui, OSTREL_BENCH_BIN_DIR "/libostreldsm.so");
  CScanSetting profile;
  profile.resolution = colour ? 300 : 200;
  profile.scanMode = colour ? 2 : 0;
  profile.automatic = 0;
  profile.paperSize = 4;  // Letter
  CApplicationSetting storage;
  CButtonSetting button;
  button.scanSetting = &profile;
  button.applicationSetting = &storage;
  button.imageFolder = home + "/pdf-job";
  button.fileFormat = format::kMultiPdf;

  job.loadRecognitionEngine();  // as at program start
  const auto pdfJob = [&](std::stop_token stop) {
    job.StartOutput(button);
    session.run(button, job, {stop, {}});
    job.FinishOutput();
  };
  WorkerJobRunner jobs([](JobRunner::Call call) { call(); });
  for (auto _ : state) {
    if (!onWorker) {
      pdfJob({});
      continue;
    }
    std::promise<void> ended;
    jobs.start([&](std::stop_token stop) {
      pdfJob(stop);
      ended.set_value();
    });
    ended.get_future().wait();
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["page"] = benchmark::Counter(pages, benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
void BM_PdfJob(benchmark::State& state) { runPdfJob(state, false); }
void BM_PdfJobOnWorker(benchmark::State& state) { runPdfJob(state, true); }

BENCHMARK(BM_PdfJob)
    ->Args({20, 0})
    ->Args({100, 0})
    ->Args({20, 1})
    ->Args({100, 1})
    ->ArgNames({"pages", "colour"})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

// This thread only waits: its CPU time says nothing, so rates are of real time.
BENCHMARK(BM_PdfJobOnWorker)
    ->Args({100, 0})
    ->Args({100, 1})
    ->ArgNames({"pages", "colour"})
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace
