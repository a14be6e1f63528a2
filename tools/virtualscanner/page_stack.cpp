#include "tools/virtualscanner/page_stack.h"

#include <algorithm>
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
    if (isPageImageName(name)) stack.files_.push_back(it->path().string());
  }
  std::sort(stack.files_.begin(), stack.files_.end());
  return stack;
}

std::optional<SourcePage> PageStack::load(std::size_t index, std::string* error) const {
  if (index >= files_.size()) {
    if (error) *error = "no such page";
    return std::nullopt;
  }
  return readPageImage(files_[index], error);
}

}  // namespace ostrel::virtualscanner
