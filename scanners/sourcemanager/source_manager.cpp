#include "scanners/sourcemanager/source_manager.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "scanners/protocol/imaging_devices.h"
#include "platform/environment.h"
#include "platform/text.h"
#include "scanners/sourcemanager/dsm_memory.h"
#include "scanners/sourcemanager/sane_source.h"

namespace ostrel::virtualscanner {

using namespace twain;

namespace {

// Source identities are numbered from here, apart from application ids.
constexpr TW_UINT32 kFirstSourceId = 1000;
// About ten colour Letter pages at 300 dpi.
constexpr std::size_t kSheetCacheBytes = std::size_t{256} << 20;

void copyText(TW_STR32& field, const std::string& text) {
  std::snprintf(field, sizeof field, "%s", text.c_str());
}

}  // namespace

SourceManager::SourceManager(DSMENTRYPROC entry, SheetDrawer* drawer)
    : entry_(entry), sheets_(kSheetCacheBytes), drawer_(drawer) {}

std::vector<SourceManager::Installed> SourceManager::installedSources() {
  std::vector<Installed> sources;
  for (const ImagingDevice& imaging : listImagingDevices().devices) {
    if (imaging.driverPath.empty()) continue;
    auto virtualDevice = VirtualDevice::load(deviceIniBeside(imaging.driverPath));
    auto saneDevice = virtualDevice ? std::nullopt : sane::SaneDeviceSettings::load(sane::saneIniBeside(imaging.driverPath));
    if (!virtualDevice && !saneDevice) continue;
    const std::string& vendor = virtualDevice ? virtualDevice->vendor : saneDevice->vendor;
    const std::string& model = virtualDevice ? virtualDevice->model : saneDevice->model;
    const char* family = virtualDevice ? "Virtual scanner" : "SANE scanner";
    Installed source;
    source.identity = TW_IDENTITY{};
    source.identity.Id = kFirstSourceId + static_cast<TW_UINT32>(sources.size());
    source.identity.Version.MajorNum = 1;
    source.identity.Version.Language = TWLG_USA;
    source.identity.Version.Country = TWCY_USA;
    copyText(source.identity.Version.Info, family);
    source.identity.ProtocolMajor = 2;
    source.identity.ProtocolMinor = 4;
    source.identity.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    copyText(source.identity.Manufacturer, vendor);
    copyText(source.identity.ProductFamily, family);
    copyText(source.identity.ProductName, model);
    source.folder = platform::folderOf(imaging.driverPath);
    if (virtualDevice) {
      source.device = std::move(*virtualDevice);
    } else {
      source.device = std::move(*saneDevice);
    }
    sources.push_back(std::move(source));
  }
  return sources;
}

TW_UINT16 SourceManager::fail(TW_UINT16 condition, Application* app) {
  (app ? app->condition : condition_) = condition;
  return TWRC_FAILURE;
}

TW_UINT16 SourceManager::entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                               TW_UINT16 msg, TW_MEMREF data) {
  std::lock_guard lock(mutex_);
  // Identities are packed to 2 bytes, so their Id may lie misaligned: maps
  // are searched with copies, never with references bound to it.
  if (!origin) return fail(TWCC_BADPROTOCOL, nullptr);
  const auto app = applications_.find(TW_UINT32{origin->Id});
  if (!dest) {
    if (dg != DG_CONTROL) return fail(TWCC_BADPROTOCOL, app == applications_.end() ? nullptr : &app->second);
    return control(*origin, dat, msg, data);
  }
  if (app == applications_.end()) return fail(TWCC_SEQERROR, nullptr);
  const auto source = app->second.open.find(TW_UINT32{dest->Id});
  if (source == app->second.open.end()) return fail(TWCC_BADDEST, &app->second);
  return source->second->handle(dg, dat, msg, data);
}

TW_UINT16 SourceManager::control(TW_IDENTITY& origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  auto found = applications_.find(TW_UINT32{origin.Id});
  Application* app = found == applications_.end() ? nullptr : &found->second;
  switch (dat) {
    case DAT_PARENT:
      if (msg == MSG_OPENDSM) {
        if (app) return fail(TWCC_SEQERROR, app);
        origin.Id = nextApplicationId_++;
        applications_[TW_UINT32{origin.Id}];
        return TWRC_SUCCESS;
      }
      if (msg == MSG_CLOSEDSM) {
        if (!app) return fail(TWCC_SEQERROR, nullptr);
        // Sources still open are closed with the manager rather than left behind.
        for (auto& [id, source] : app->open) source->close("MSG_CLOSEDS (closed with the source manager)");
        applications_.erase(found);
        return TWRC_SUCCESS;
      }
      return fail(TWCC_BADPROTOCOL, app);
    case DAT_IDENTITY:
      if (!app) return fail(TWCC_SEQERROR, nullptr);
      return identity(*app, msg, static_cast<TW_IDENTITY*>(data));
    case DAT_STATUS: {
      if (msg != MSG_GET || !data) return fail(TWCC_BADPROTOCOL, app);
      auto* status = static_cast<TW_STATUS*>(data);
      TW_UINT16& condition = app ? app->condition : condition_;
      status->ConditionCode = std::exchange(condition, TWCC_SUCCESS);
      status->Data = 0;
      return TWRC_SUCCESS;
    }
    case DAT_ENTRYPOINT: {
      if (msg != MSG_GET || !data) return fail(TWCC_BADPROTOCOL, app);
      auto* entry = static_cast<TW_ENTRYPOINT*>(data);
      entry->Size = sizeof(TW_ENTRYPOINT);
      entry->DSM_Entry = entry_;
      entry->DSM_MemAllocate = memoryAllocate;
      entry->DSM_MemFree = memoryFree;
      entry->DSM_MemLock = memoryLock;
      entry->DSM_MemUnlock = memoryUnlock;
      return TWRC_SUCCESS;
    }
    default: return fail(TWCC_BADPROTOCOL, app);
  }
}

TW_UINT16 SourceManager::identity(Application& app, TW_UINT16 msg, TW_IDENTITY* source) {
  if (!source) return fail(TWCC_BADVALUE, &app);
  switch (msg) {
    case MSG_GETFIRST:
      app.sources = installedSources();
      app.cursor = 0;
      [[fallthrough]];
    case MSG_GETNEXT:
      if (app.cursor >= app.sources.size()) return TWRC_ENDOFLIST;
      *source = app.sources[app.cursor++].identity;
      return TWRC_SUCCESS;
    case MSG_GETDEFAULT:
    case MSG_USERSELECT:  // no selection dialog: the first source is the default
      if (app.sources.empty()) app.sources = installedSources();
      if (app.sources.empty()) return fail(TWCC_NODS, &app);
      *source = app.sources.front().identity;
      return TWRC_SUCCESS;
    case MSG_OPENDS: {
      if (app.sources.empty()) app.sources = installedSources();
      const Installed* chosen = nullptr;
      for (const Installed& installed : app.sources) {
        if (installed.identity.Id == source->Id) chosen = &installed;
      }
      if (!chosen) {
        for (const Installed& installed : app.sources) {
          if (std::strncmp(installed.identity.ProductName, source->ProductName, sizeof source->ProductName) == 0) {
            chosen = &installed;
            break;
          }
        }
      }
      if (!chosen) return fail(TWCC_NODS, &app);
      if (app.open.count(TW_UINT32{chosen->identity.Id})) return fail(TWCC_SEQERROR, &app);
      std::unique_ptr<DataSource> opened;
      if (const auto* virtualDevice = std::get_if<VirtualDevice>(&chosen->device)) {
        auto scanner = std::make_unique<VirtualDataSource>(chosen->identity, *virtualDevice, chosen->folder, sheets_,
                                                           drawer_, *pages_);
        scanner->open();
        opened = std::move(scanner);
      } else {
        opened = SaneDataSource::open(chosen->identity, std::get<sane::SaneDeviceSettings>(chosen->device),
                                      chosen->folder, nullptr);
        if (!opened) return fail(TWCC_NODS, &app);
      }
      *source = chosen->identity;
      app.open[TW_UINT32{chosen->identity.Id}] = std::move(opened);
      return TWRC_SUCCESS;
    }
    case MSG_CLOSEDS: {
      const auto it = app.open.find(TW_UINT32{source->Id});
      if (it == app.open.end()) return fail(TWCC_NODS, &app);
      it->second->close();
      app.open.erase(it);
      return TWRC_SUCCESS;
    }
    default: return fail(TWCC_BADPROTOCOL, &app);
  }
}

}  // namespace ostrel::virtualscanner
