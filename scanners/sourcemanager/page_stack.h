#pragma once
// The stack of sheets in the virtual feeder for one session: taken afresh when
// the session opens, so every button press scans the whole stack again.
#include <memory>
#include <string>
#include <vector>

#include "scanners/sourcemanager/source_page.h"
#include "scanners/sourcemanager/sheet_cache.h"
#include "scanners/sourcemanager/sheet_drawer.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::virtualscanner {

class PageStack {
 public:
  PageStack() = default;
  // The device's page images, or its generated pages when it names no folder.
  static PageStack forDevice(const VirtualDevice& device);
  // The page images of a folder in file-name order; empty when the folder is
  // missing or unreadable.
  static PageStack fromFolder(const std::string& folder);

  std::size_t size() const { return sheets_.size(); }
  const std::string& name(std::size_t index) const { return sheets_[index].name; }
  // Generated sheets are drawn by drawer at dpi (50 to 600), so they need no
  // resampling; without a drawer they fail. Sheets read or drawn before, and
  // unchanged since, come from the cache.
  std::shared_ptr<const SourcePage> load(std::size_t index, double dpi, SheetCache& cache, SheetDrawer* drawer,
                                         std::string* error) const;

 private:
  struct Sheet {
    std::string name;  // the file, or "generated-N"
    std::string path;  // empty for a generated sheet
    GeneratedSheet generated;
  };

  std::vector<Sheet> sheets_;
};

}  // namespace ostrel::virtualscanner
