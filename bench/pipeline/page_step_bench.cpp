// The scan job's page step for a 300-dpi Letter colour page, as HandlePage runs
// it: a quarter turn, edge clean-up, the blank test, barcode reading (the name
// holds "<B>") and the JPEG file. Goal: at most 100 ms median on one core:
//
//   taskset -c 1 build/bench/bench_page_step --benchmark_repetitions=5
//
// Arg 0: a dense text page without a barcode, so the reader tries its second
// pass too; arg 1: the same page with a barcode that the first pass finds.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/scan/job/output_job.h"
#include "bench/pipeline/bench_home.h"
#include "tools/pagegen/page_generator.h"

namespace {

using namespace ostrel;

Dib letterPage(bool withBarcode) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(300, 24, pagegen::Content::DenseText);
  pageSpec.defects.noise = 3;
  // Drawn turned, so the quarter turn left of the page step sets it upright.
  if (withBarcode) pageSpec.barcodes.push_back({pagegen::Symbology::Code128, "INV-0042", 2300, 1200, 0, 0, 90});
  return *pagegen::generatePage(pageSpec);
}

void BM_PageStep(benchmark::State& state) {
  const std::string folder = bench::temporaryHome() + "/page-step";
  bench::UnattendedUserInterface ui;
  bench::StorageOnlyDelivery delivery;
  OutputJob job({ui, delivery, bench::temporaryHome() + "/program"});
  CScanSetting profile;
  profile.resolution = 300;
  profile.rotationFront = 1;
  profile.edgeCleanUp = 1;
  profile.edgeCleanUpSize = 30;
  profile.blankPageRemove = 1;
  CApplicationSetting storage;
  CButtonSetting button;
  button.scanSetting = &profile;
  button.applicationSetting = &storage;
  button.imageFolder = folder;
  button.imageName = "Scan<####>_<B>";
  button.fileFormat = format::kJpeg;
  button.fileFormatProperty = 25;  // quality 75
  const Dib page = letterPage(state.range(0) == 1);

  job.loadRecognitionEngine();  // as at program start
  if (job.StartOutput(button) != 1) state.SkipWithError("the job did not start");
  for (auto _ : state) {
    state.PauseTiming();
    for (const auto& written : std::filesystem::directory_iterator(folder)) std::filesystem::remove(written.path());
    Dib copy = page.clone();
    state.ResumeTiming();
    if (job.HandlePage(std::move(copy), 0) != 1) state.SkipWithError("the page was not written");
  }
  job.FinishOutput();
}
BENCHMARK(BM_PageStep)->Arg(0)->Arg(1)->ArgNames({"barcode"})->Unit(benchmark::kMillisecond);

}  // namespace
