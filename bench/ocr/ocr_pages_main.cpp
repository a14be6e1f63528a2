// The recognition pipeline as the scan job runs it, on files, for the
// comparison with ocrmypdf (compare.sh) and the memory figure:
//
//   ocr_pages write DIR COUNT          dense 300-dpi text pages as DIR/pageNNN.bmp
//                                      and DIR/image-only.pdf
//   ocr_pages searchable DIR OUT.pdf   the pages of DIR through the workers
//                                      (one per core) into a searchable PDF
//   ocr_pages memory COUNT             COUNT pages through the workers into a
//                                      searchable PDF; resident memory every
//                                      ten pages and the peak at the end
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "imaging/image_file_reader.h"
#include "imaging/ocr/recognition_pool.h"
#include "imaging/pdf/pdf_writer.h"
#include "imaging/writers/image_file_writers.h"
#include "tests/ocr/text_pages.h"

namespace {

using namespace ostrel;

std::string dataFolder() { return ocr::defaultDataFolder("/nowhere/OBX"); }

std::string statusLine(const char* key) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(key, 0) == 0) return line;
  }
  return key;
}

// The job's rule: at most two pages in flight per worker; the oldest is written
// before more go in.
class Pipeline {
 public:
  explicit Pipeline(const std::string& out) : workers_(ocr::RecognitionPool::workersForThisMachine()),
                                              pool_(dataFolder(), workers_), pdf_(out) {}
  void add(Dib page) {
    pool_.submit({std::move(page), false, true, "eng", 0});
    while (std::optional<ocr::PageDone> done = pool_.inFlight() > 2 * workers_ ? pool_.takeNext() : pool_.takeReady()) {
      write(*done);
    }
  }
  bool finish() {
    while (std::optional<ocr::PageDone> done = pool_.takeNext()) write(*done);
    return static_cast<bool>(pdf_.finish());
  }

 private:
  void write(const ocr::PageDone& done) {
    (void)pdf_.addPage(done.page, done.text ? &*done.text : nullptr, pdf::TextLayer::invisible);
  }
  int workers_;
  ocr::RecognitionPool pool_;
  pdf::PdfWriter pdf_;
};

std::vector<std::string> pageFiles(const std::string& folder) {
  std::vector<std::string> files;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) files.push_back(folder + "/" + name);
    }
    ::closedir(dir);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "write") {
    const int count = std::stoi(args[2]);
    pdf::PdfWriter imageOnly(args[1] + "/image-only.pdf");
    for (int i = 0; i < count; ++i) {
      // Each page starts at another paragraph, so no two pages are alike.
      std::string prose = testing::englishProse(14).substr(static_cast<std::size_t>(i % 5) * 40);
      const Dib page = testing::renderTextPage(prose.substr(prose.find(' ') + 1), 10).page;
      char name[32];
      std::snprintf(name, sizeof name, "/page%03d.bmp", i);
      if (!writers::writeBmp(page, args[1] + name) || !imageOnly.addPage(page)) return 1;
    }
    return imageOnly.finish() ? 0 : 1;
  }
  if (args.size() == 3 && args[0] == "searchable") {
    Pipeline pipeline(args[2]);
    for (const std::string& file : pageFiles(args[1])) {
      std::optional<Dib> page = readImageFile(file);
      if (!page) return 1;
      pipeline.add(std::move(*page));
    }
    return pipeline.finish() ? 0 : 1;
  }
  if (args.size() == 2 && args[0] == "memory") {
    const int count = std::stoi(args[1]);
    const Dib dense = testing::renderTextPage(testing::englishProse(12), 10).page;
    Pipeline pipeline("/tmp/ocr-memory.pdf");
    for (int i = 1; i <= count; ++i) {
      pipeline.add(dense.clone());
      if (i % 10 == 0) std::printf("page %d: %s\n", i, statusLine("VmRSS").c_str());
      std::fflush(stdout);
    }
    const bool ok = pipeline.finish();
    std::printf("end: %s, %s\n", statusLine("VmRSS").c_str(), statusLine("VmHWM").c_str());
    std::remove("/tmp/ocr-memory.pdf");
    return ok ? 0 : 1;
  }
  std::fprintf(stderr, "usage: ocr_pages write DIR COUNT | searchable DIR OUT.pdf | memory COUNT\n");
  return 2;
}
