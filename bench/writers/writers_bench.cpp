// Writer speed, output size and memory on 300-dpi Letter pages (2550 x 3300).
// Run on one core: taskset -c 1 build/bench/bench_writers. compare.sh runs the
// reference tools on the same pages in the same session.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/pdf/pdf_writer.h"
#include "imaging/writers/ccitt_g4.h"
#include "imaging/writers/image_file_writers.h"
#include "imaging/writers/jpeg_encoder.h"
#include "imaging/writers/tiff_writer.h"
#include "bench/support/temporary_folder.h"
#include "tests/writers/sample_pages.h"

namespace {

using namespace ostrel;

const Dib& textPage() {
  static const Dib page = testing::denseTextPage();
  return page;
}
const Dib& colourPage() {
  static const Dib page = testing::colourPage();
  return page;
}

// Output goes to $OSTREL_BENCH_DIR (default: a temporary folder removed when
// the program ends); each file is removed after its run.
std::string outputPath(const char* name) {
  const char* dir = std::getenv("OSTREL_BENCH_DIR");
  const std::string folder = dir && *dir ? std::string(dir) : bench::temporaryFolder();
  std::filesystem::create_directories(folder);
  return folder + "/" + name;
}

double fileSize(const std::string& path) {
  std::error_code error;
  return static_cast<double>(std::filesystem::file_size(path, error));
}

long residentKilobytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return 0;
  char line[256];
  long kilobytes = 0;
  while (std::fgets(line, sizeof line, status)) {
    if (std::strncmp(line, "VmRSS:", 6) == 0) kilobytes = std::atol(line + 6);
  }
  std::fclose(status);
  return kilobytes;
}

long peakKilobytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_JpegFileColourPage(benchmark::State& state) {
  const std::string path = outputPath("colour.jpg");
  const int quality = static_cast<int>(state.range(0));
  (void)colourPage();  // made before the clock starts
  for (auto _ : state) {
    if (!writers::writeJpeg(colourPage(), path, quality)) state.SkipWithError("write failed");
  }
  state.counters["file_KB"] = fileSize(path) / 1024;
  std::filesystem::remove(path);
}
BENCHMARK(BM_JpegFileColourPage)->Arg(75)->Arg(99)->Unit(benchmark::kMillisecond);

void BM_G4TiffFileTextPage(benchmark::State& state) {
  const std::string path = outputPath("text.tif");
  (void)textPage();
  for (auto _ : state) {
    if (!writers::writeTiff(textPage(), path)) state.SkipWithError("write failed");
  }
  state.counters["file_KB"] = fileSize(path) / 1024;
  std::filesystem::remove(path);
}
BENCHMARK(BM_G4TiffFileTextPage)->Unit(benchmark::kMillisecond);

void BM_BmpFileColourPage(benchmark::State& state) {
  const std::string path = outputPath("colour.bmp");
  (void)colourPage();
  for (auto _ : state) {
    if (!writers::writeBmp(colourPage(), path)) state.SkipWithError("write failed");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_BmpFileColourPage)->Unit(benchmark::kMillisecond);

void BM_GifFileColourPage(benchmark::State& state) {
  const std::string path = outputPath("colour.gif");
  (void)colourPage();
  for (auto _ : state) {
    if (!writers::writeGif(colourPage(), path)) state.SkipWithError("write failed");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_GifFileColourPage)->Unit(benchmark::kMillisecond);

// One PDF page of each kind: its size and what the container adds to the image.
void BM_PdfPageSize(benchmark::State& state) {
  const bool colour = state.range(0) == 1;
  const Dib& page = colour ? colourPage() : textPage();
  std::vector<std::uint8_t> image;
  (void)(colour ? writers::encodeJpeg(page, pdf::PdfWriter::kDefaultJpegQuality, image)
                : writers::encodeCcittG4(page, image));
  const std::string path = outputPath(colour ? "colour.pdf" : "text.pdf");
  constexpr int kPages = 10;
  for (auto _ : state) {
    pdf::PdfWriter writer(path);
    for (int i = 0; i < kPages; ++i) (void)writer.addPage(page);
    if (!writer.finish()) state.SkipWithError("write failed");
  }
  const double size = fileSize(path);
  state.counters["page_KB"] = size / kPages / 1024;
  state.counters["overhead_bytes_per_page"] = (size - kPages * static_cast<double>(image.size())) / kPages;
  state.SetLabel(colour ? "colour, JPEG quality 75" : "dense text, G4");
  std::filesystem::remove(path);
}
BENCHMARK(BM_PdfPageSize)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PdfG4Pages(benchmark::State& state) {
  const std::string path = outputPath("g4pages.pdf");
  const auto pages = static_cast<int>(state.range(0));
  (void)textPage();
  for (auto _ : state) {
    pdf::PdfWriter writer(path);
    for (int i = 0; i < pages; ++i) (void)writer.addPage(textPage());
    if (!writer.finish()) state.SkipWithError("write failed");
  }
  state.counters["file_MB"] = fileSize(path) / (1024 * 1024);
  std::filesystem::remove(path);
}
BENCHMARK(BM_PdfG4Pages)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(3);

// Memory against page count: alternating dense text and colour pages into one
// PDF (0) or one multi-page TIFF (1). Reports the process's peak resident size
// and how far it rose over the run; run each case in its own process (as
// compare.sh does) so that the peak is that case's alone.
void BM_MemoryByPageCount(benchmark::State& state) {
  const bool tiff = state.range(0) == 1;
  const auto pages = static_cast<int>(state.range(1));
  (void)textPage();
  (void)colourPage();
  const std::string path = outputPath(tiff ? "memory.tif" : "memory.pdf");
  long start = 0, highest = 0;
  for (auto _ : state) {
    start = residentKilobytes();
    highest = start;
    auto add = [&](auto& writer) {
      for (int i = 0; i < pages; ++i) {
        if (!writer.addPage(i % 2 ? colourPage() : textPage())) state.SkipWithError("write failed");
        highest = std::max(highest, residentKilobytes());
      }
      if (!writer.finish()) state.SkipWithError("finish failed");
    };
    if (tiff) {
      writers::TiffWriter writer(path);
      add(writer);
    } else {
      pdf::PdfWriter writer(path);
      add(writer);
    }
  }
  state.counters["peak_rss_MB"] = static_cast<double>(std::max(highest, peakKilobytes())) / 1024;
  state.counters["rss_rise_MB"] = static_cast<double>(highest - start) / 1024;
  state.counters["file_MB"] = fileSize(path) / (1024 * 1024);
  state.SetLabel(tiff ? "multi-page TIFF" : "PDF");
  std::filesystem::remove(path);
}
BENCHMARK(BM_MemoryByPageCount)
    ->ArgsProduct({{0, 1}, {10, 1000}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
