// Per-page costs of the page step on a Letter page at 300 dpi (2550 x 3300),
// run on one core (taskset -c 1). Goals, median: a quarter turn of a colour
// page 30 ms, a half turn 10 ms; the blank test 5 ms colour, 2 ms grey, 1 ms
// 1-bit; barcode reading of a colour page, both passes, 80 ms.
#include <benchmark/benchmark.h>

#include "app/scan/page_steps/page_steps.h"
#include "imaging/barcode/barcode_reader.h"
#include "imaging/cleanup/blank_page.h"
#include "imaging/cleanup/rotation.h"
#include "tools/pagegen/page_generator.h"

namespace {

using namespace ostrel;

Dib letter(int bits, pagegen::Content content, bool faults = true) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(300, bits, content, 42);
  if (faults) {
    pageSpec.defects.noise = 4;
    pageSpec.defects.dust = 60;
    pageSpec.defects.border = pagegen::Border::Band;
    pageSpec.defects.punchHoles = true;
    pageSpec.defects.bleedThrough = true;
  }
  return *pagegen::generatePage(pageSpec);
}

void RotateLeftColour(benchmark::State& state) {
  const Dib page = letter(24, pagegen::Content::DenseText, false);
  for (auto _ : state) benchmark::DoNotOptimize(RotateLeft(page));
}
BENCHMARK(RotateLeftColour)->Unit(benchmark::kMillisecond);

void Rotate180Colour(benchmark::State& state) {
  const Dib page = letter(24, pagegen::Content::DenseText, false);
  for (auto _ : state) benchmark::DoNotOptimize(Rotate180(page));
}
BENCHMARK(Rotate180Colour)->Unit(benchmark::kMillisecond);

void RotateLeftOneBit(benchmark::State& state) {
  const Dib page = letter(1, pagegen::Content::DenseText, false);
  for (auto _ : state) benchmark::DoNotOptimize(RotateLeft(page));
}
BENCHMARK(RotateLeftOneBit)->Unit(benchmark::kMillisecond);

// Arguments: depth, and 0 for a blank side with every fault, 1 for a dense page.
// The sides lie on a dark backing, with the profile's background set as it is
// (BlankTest) or left at its default, white (BlankTestSetWhite).
void blankTest(benchmark::State& state, int backgroundColor) {
  const Dib page = letter(static_cast<int>(state.range(0)),
                          state.range(1) ? pagegen::Content::DenseText : pagegen::Content::Blank);
  CScanSetting profile;
  profile.resolution = 300;
  profile.backgroundColor = backgroundColor;
  for (auto _ : state) benchmark::DoNotOptimize(IsBlankPage(page, profile));
}
void BlankTest(benchmark::State& state) { blankTest(state, 1); }
void BlankTestSetWhite(benchmark::State& state) { blankTest(state, 0); }
BENCHMARK(BlankTest)->ArgsProduct({{24, 8, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BlankTestSetWhite)->ArgsProduct({{24, 8, 1}, {0, 1}})->Unit(benchmark::kMillisecond);

// Argument 0: no barcode, so both passes run; 1: a Code 128 turned a quarter
// half a centimetre from the bottom edge, found by the second pass; 2: an
// upright Code 128 against the top edge, found by the first.
void ReadBarcodesColour(benchmark::State& state) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(300, 24, pagegen::Content::SparseText, 42);
  pageSpec.defects.noise = 3;
  if (state.range(0) == 1) pageSpec.barcodes.push_back({pagegen::Symbology::Code128, "BATCH-0017", 1200, 2700, 0, 0, 90});
  if (state.range(0) == 2) pageSpec.barcodes.push_back({pagegen::Symbology::Code128, "BATCH-0017", 1000, 20});
  const Dib page = *pagegen::generatePage(pageSpec);
  for (auto _ : state) benchmark::DoNotOptimize(ReadBarcodes(page, 128));
}
BENCHMARK(ReadBarcodesColour)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
