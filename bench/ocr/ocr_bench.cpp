// Recognition speed and output size on dense 300-dpi pages (10-point DejaVu
// Sans filling a Letter page, about 600 words):
//   RecognisePage          seconds per page on one engine, one thread
//   Workers/N              eight pages through N workers; compare per-page times
//   SearchablePdfSize      bytes of a searchable page against the image alone
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <optional>
#include <vector>

#include "bench/support/temporary_folder.h"
#include "imaging/ocr/recognition_engine.h"
#include "imaging/ocr/recognition_pool.h"
#include "imaging/pdf/pdf_writer.h"
#include "tests/ocr/text_pages.h"

namespace ostrel {
namespace {

const Dib& densePage() {
  static const Dib page = testing::renderTextPage(testing::englishProse(12), 10).page;
  return page;
}

std::string dataFolder() { return ocr::defaultDataFolder("/nowhere/OBX"); }

void RecognisePage(benchmark::State& state) {
  ocr::RecognitionEngine engine;
  if (engine.loadFrom(dataFolder(), "eng", ocr::RecognitionEngine::Report::quietly) != ocr::EngineLoad::loaded) {
    state.SkipWithError("no English language data");
    return;
  }
  std::size_t words = 0;
  for (auto _ : state) {
    std::optional<ocr::PageText> text = engine.recognize(densePage());
    words = text ? text->words.size() : 0;
  }
  state.counters["words"] = static_cast<double>(words);
}
BENCHMARK(RecognisePage)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// CPU seconds of every thread of the process so far: on a machine shared with
// other work, wall time shows the share of the cores we got, this the work done.
double processCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Workers(benchmark::State& state) {
  constexpr int kPages = 8;
  const int workers = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    ocr::RecognitionPool pool(dataFolder(), workers);
    // Engines load with the first pages; load them outside the timing.
    for (int i = 0; i < workers; ++i) pool.submit({*Dib::create(64, 64, 8), false, true, "eng", 0});
    while (pool.takeNext()) {
    }
    const double cpuBefore = processCpuSeconds();
    state.ResumeTiming();
    for (int i = 0; i < kPages; ++i) pool.submit({densePage().clone(), false, true, "eng", i});
    while (pool.takeNext()) {
    }
    state.counters["cpu_s_per_page"] = (processCpuSeconds() - cpuBefore) / kPages;
  }
  state.counters["s_per_page"] = benchmark::Counter(kPages, benchmark::Counter::kIsIterationInvariantRate |
                                                                benchmark::Counter::kInvert);
}
BENCHMARK(Workers)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

long long fileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

void SearchablePdfSize(benchmark::State& state) {
  ocr::RecognitionEngine engine;
  engine.loadFrom(dataFolder(), "eng", ocr::RecognitionEngine::Report::quietly);
  const std::optional<ocr::PageText> text = engine.recognize(densePage());
  const std::string imageOnly = bench::temporaryFolder() + "/image.pdf";
  const std::string searchable = bench::temporaryFolder() + "/searchable.pdf";
  for (auto _ : state) {
    pdf::PdfWriter plain(imageOnly), withText(searchable);
    for (int page = 0; page < 3; ++page) {
      (void)plain.addPage(densePage());
      (void)withText.addPage(densePage(), text ? &*text : nullptr, pdf::TextLayer::invisible);
    }
    (void)plain.finish();
    (void)withText.finish();
  }
  state.counters["image_only_bytes"] = static_cast<double>(fileSize(imageOnly));
  state.counters["searchable_bytes"] = static_cast<double>(fileSize(searchable));
  state.counters["ratio"] = static_cast<double>(fileSize(searchable)) / static_cast<double>(fileSize(imageOnly));
}
BENCHMARK(SearchablePdfSize)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace ostrel
