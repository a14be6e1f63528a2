#include "tools/virtualscanner/page_stack.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tools/pagegen/page_generator.h"

namespace ostrel::virtualscanner {

PageStack PageStack::fromFolder(const std::string& folder) {
  PageStack stack;
  if (folder.empty()) return stack;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const std::string name = it->path().filename().string();
    if (!isPageImageName(name)) continue;
    Sheet sheet;
    sheet.name = name;
    sheet.path = it->path().string();
    stack.sheets_.push_back(std::move(sheet));
  }
  std::sort(stack.sheets_.begin(), stack.sheets_.end(),
            [](const Sheet& a, const Sheet& b) { return a.name < b.name; });
  return stack;
}

PageStack PageStack::forDevice(const VirtualDevice& device) {
  if (!device.pagesFolder.empty()) return fromFolder(device.pagesFolder);
  PageStack stack;
  for (int page = 1; page <= device.generatedPages; ++page) {
    Sheet sheet;
    sheet.name = "generated-" + std::to_string(page);
    sheet.blank = device.blankPages.count(page) != 0;
    if (const auto it = device.barcodePages.find(page); it != device.barcodePages.end()) sheet.barcode = it->second;
    sheet.seed = device.seed + static_cast<std::uint64_t>(page);
    stack.sheets_.push_back(std::move(sheet));
  }
  return stack;
}

std::optional<SourcePage> PageStack::generate(const Sheet& sheet, int dpi, std::string* error) const {
  using namespace pagegen;
  // Text pages alternate between a full page and a letter, both with a little
  // sensor noise; blank sides carry the noise and dust a scanner sees.
  const Content content = sheet.blank ? Content::Blank
                          : sheet.barcode.empty() && sheet.seed % 2 ? Content::DenseText
                                                                    : Content::SparseText;
  PageSpec pageSpec = letterPage(dpi, 24, content, sheet.seed);
  pageSpec.defects.noise = sheet.blank ? 4 : 2;
  pageSpec.defects.dust = sheet.blank ? 8 : 0;
  if (!sheet.barcode.empty()) {
    Barcode barcode{Symbology::Code128, sheet.barcode};
    const auto size = barcodeSize(barcode, dpi);
    if (!size) {
      if (error) *error = "the barcode text cannot be written as Code 128";
      return std::nullopt;
    }
    // Top right, half an inch from the edges, clear of the text's left margin.
    barcode.x = std::max(0, pageSpec.width - size->width - dpi / 2);
    barcode.y = dpi / 2;
    pageSpec.barcodes.push_back(barcode);
  }
  auto page = generatePage(pageSpec);
  if (!page) {
    if (error) *error = "the page cannot be generated";
    return std::nullopt;
  }
  return makeSheet(std::move(*page), dpi, dpi);
}

std::shared_ptr<const SourcePage> PageStack::load(std::size_t index, double dpi, SheetCache& cache,
                                                   std::string* error) const {
  if (index >= sheets_.size()) {
    if (error) *error = "no such page";
    return nullptr;
  }
  const Sheet& sheet = sheets_[index];
  const int drawDpi = std::clamp(static_cast<int>(std::lround(dpi)), 50, 600);
  std::string key;
  if (sheet.path.empty()) {
    key = "generated|" + std::to_string(sheet.seed) + "|" + std::to_string(sheet.blank) + "|" +
          std::to_string(drawDpi) + "|" + sheet.barcode;
  } else {
    // A file is the same sheet while its identity, size and time stay.
    struct stat st {};
    if (::stat(sheet.path.c_str(), &st) == 0) {
      key = "file|" + sheet.path + "|" + std::to_string(st.st_ino) + "|" + std::to_string(st.st_size) + "|" +
            std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }
  }
  if (!key.empty()) {
    if (auto cached = cache.find(key)) return cached;
  }
  auto page = sheet.path.empty() ? generate(sheet, drawDpi, error) : readPageImage(sheet.path, error);
  if (!page) return nullptr;
  auto shared = std::make_shared<const SourcePage>(std::move(*page));
  if (!key.empty()) cache.store(key, shared);
  return shared;
}

}  // namespace ostrel::virtualscanner
