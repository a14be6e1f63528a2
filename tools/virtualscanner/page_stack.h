#pragma once
// The stack of sheets in the virtual feeder for one session: taken afresh when
// the session opens, so every button press scans the whole stack again.
#include <optional>
#include <string>
#include <vector>

#include "tools/virtualscanner/page_image_file.h"

namespace ostrel::virtualscanner {

class PageStack {
 public:
  PageStack() = default;
  // The page images of a folder in file-name order; empty when the folder is
  // missing or unreadable.
  static PageStack fromFolder(const std::string& folder);

  std::size_t size() const { return files_.size(); }
  const std::string& name(std::size_t index) const { return files_[index]; }
  std::optional<SourcePage> load(std::size_t index, std::string* error) const;

 private:
  std::vector<std::string> files_;
};

}  // namespace ostrel::virtualscanner
