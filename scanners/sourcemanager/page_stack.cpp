#include "scanners/sourcemanager/page_stack.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>


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
    sheet.generated.blank = device.blankPages.count(page) != 0;
    if (const auto it = device.barcodePages.find(page); it != device.barcodePages.end()) {
      sheet.generated.barcode = it->second;
    }
    sheet.generated.seed = device.seed + static_cast<std::uint64_t>(page);
    stack.sheets_.push_back(std::move(sheet));
  }
  return stack;
}

std::shared_ptr<const SourcePage> PageStack::load(std::size_t index, double dpi, SheetCache& cache,
                                                   SheetDrawer* drawer, std::string* error) const {
  if (index >= sheets_.size()) {
    if (error) *error = "no such page";
    return nullptr;
  }
  const Sheet& sheet = sheets_[index];
  const int drawDpi = std::clamp(static_cast<int>(std::lround(dpi)), 50, 600);
  std::string key;
  if (sheet.path.empty()) {
    const GeneratedSheet& generated = sheet.generated;
    key = "generated|" + std::to_string(generated.seed) + "|" + std::to_string(generated.blank) + "|" +
          std::to_string(drawDpi) + "|" + generated.barcode;
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
  std::optional<SourcePage> page;
  if (!sheet.path.empty()) {
    page = readPageImage(sheet.path, error);
  } else if (!drawer) {
    if (error) *error = "this source manager draws no generated pages";
  } else if (auto drawn = drawer->draw(sheet.generated, drawDpi, error)) {
    page = makeSheet(std::move(*drawn), drawDpi, drawDpi);
  }
  if (!page) return nullptr;
  auto shared = std::make_shared<const SourcePage>(std::move(*page));
  if (!key.empty()) cache.store(key, shared);
  return shared;
}

}  // namespace ostrel::virtualscanner
