// The wizard preview's redraw during a slider drag: a 300-dpi Letter preview,
// brought down once to the window's working size, then processed again for
// every brightness step (the heaviest case: grey mode with colour dropout).
// The whole page per step is measured beside it for comparison.
#include <benchmark/benchmark.h>

#include "app/core/wizard/preview_view.h"
#include "tools/pagegen/page_generator.h"

namespace ostrel {
namespace {

// Matches CImageWnd's working size.
constexpr int kWorkingWidth = 720;
constexpr int kWorkingHeight = 1000;

const Dib& letterPage() {
  static const Dib page = [] {
    auto generated = pagegen::generatePage(pagegen::letterPage(300, 24, pagegen::Content::DenseText, 3));
    // A red form grid for the dropout to remove.
    for (int y = 0; y < generated->height(); ++y) {
      for (int x = 0; x < generated->width(); ++x) {
        if (y % 180 < 5 || x % 360 < 5) {
          std::uint8_t* pixel = generated->row(y) + 3 * x;
          pixel[0] = 40, pixel[1] = 40, pixel[2] = 220;
        }
      }
    }
    return std::move(*generated);
  }();
  return page;
}

wizard::PreviewValues dragStep(int step) {
  wizard::PreviewValues values;
  values.scanMode = 1;
  values.dropout = 2;
  values.brightness = 100 + (step % 100) - 50;
  return values;
}

void BM_ShrinkOnLoad(benchmark::State& state) {
  const Dib& page = letterPage();
  for (auto _ : state) benchmark::DoNotOptimize(wizard::shrinkForPreview(page, kWorkingWidth, kWorkingHeight));
}
BENCHMARK(BM_ShrinkOnLoad)->Unit(benchmark::kMillisecond);

void BM_SliderStepOnWorkingImage(benchmark::State& state) {
  const auto working = wizard::shrinkForPreview(letterPage(), kWorkingWidth, kWorkingHeight);
  int step = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ProcessPreview(*working, wizard::previewSettings(dragStep(step++))));
  }
  state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SliderStepOnWorkingImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SliderStepOnWholePage(benchmark::State& state) {
  const Dib& page = letterPage();
  int step = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ProcessPreview(page, wizard::previewSettings(dragStep(step++))));
  state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SliderStepOnWholePage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace ostrel
