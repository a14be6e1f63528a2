#pragma once
// The TWAIN source manager: the one entry point, DSM_Entry, through which
// applications find, open and talk to data sources. Its sources are the
// scanners registered among the imaging devices: virtual scanners (a device
// whose DRIVERPATH has a virtualscanner.ini beside it) and scanners reached
// through SANE (a sanescanner.ini beside it), enumerated afresh each time an
// application asks for the first source.
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

#include "scanners/protocol/twain_protocol.h"
#include "scanners/sane/sane_device_settings.h"
#include "scanners/sourcemanager/data_source.h"
#include "scanners/sourcemanager/page_memory.h"
#include "scanners/sourcemanager/sheet_cache.h"
#include "scanners/sourcemanager/sheet_drawer.h"
#include "scanners/sourcemanager/virtual_source.h"

namespace ostrel::virtualscanner {

class SourceManager {
 public:
  // entry is handed to applications that ask for the entry points; drawer
  // draws the sheets of virtual scanners without a folder of pages (none:
  // such scanners fail their transfers).
  explicit SourceManager(twain::DSMENTRYPROC entry, SheetDrawer* drawer = nullptr);

  twain::TW_UINT16 entry(twain::TW_IDENTITY* origin, twain::TW_IDENTITY* dest, twain::TW_UINT32 dg,
                         twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_MEMREF data);

 private:
  struct Installed {
    twain::TW_IDENTITY identity;
    std::variant<VirtualDevice, sane::SaneDeviceSettings> device;
    std::string folder;
  };
  struct Application {
    std::vector<Installed> sources;  // the last enumeration
    std::size_t cursor = 0;
    std::map<twain::TW_UINT32, std::unique_ptr<DataSource>> open;
    twain::TW_UINT16 condition = twain::TWCC_SUCCESS;
  };

  twain::TW_UINT16 control(twain::TW_IDENTITY& origin, twain::TW_UINT16 dat, twain::TW_UINT16 msg,
                           twain::TW_MEMREF data);
  twain::TW_UINT16 identity(Application& app, twain::TW_UINT16 msg, twain::TW_IDENTITY* source);
  twain::TW_UINT16 fail(twain::TW_UINT16 condition, Application* app);
  static std::vector<Installed> installedSources();

  twain::DSMENTRYPROC entry_;
  SheetCache sheets_;
  SheetDrawer* drawer_;
  // Where virtual sources draw their pages, shared with the pages still out.
  std::shared_ptr<PageMemory> pages_ = std::make_shared<PageMemory>();
  std::mutex mutex_;
  twain::TW_UINT32 nextApplicationId_ = 1;
  std::map<twain::TW_UINT32, Application> applications_;
  twain::TW_UINT16 condition_ = twain::TWCC_SUCCESS;  // for callers without a session
};

}  // namespace ostrel::virtualscanner
