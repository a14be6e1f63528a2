#include "tools/virtualscanner/source_manager.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "app/scan/imaging_devices.h"
#include "platform/environment.h"
#include "tools/virtualscanner/dsm_memory.h"

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

// Identities are packed to 2 bytes, so an Id may be misaligned: it is read out as
// a value, never bound to the const reference a map lookup takes.
TW_UINT32 idOf(const TW_IDENTITY& identity) { return identity.Id; }

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

SourceManager::SourceManager(DSMENTRYPROC entry) : entry_(entry), sheets_(kSheetCacheBytes) {}

std::vector<SourceManager::Installed> SourceManager::installedSources() {
  std::vector<Installed> sources;
  for (const ImagingDevice& imaging : listImagingDevices().devices) {
    if (imaging.driverPath.empty()) continue;
    auto device = VirtualDevice::load(deviceIniBeside(imaging.driverPath));
    if (!device) continue;
    Installed source;
    source.identity = TW_IDENTITY{};
    source.identity.Id = kFirstSourceId + static_cast<TW_UINT32>(sources.size());
    source.identity.Version.MajorNum = 1;
    source.identity.Version.Language = TWLG_USA;
    source.identity.Version.Country = TWCY_USA;
    copyText(source.identity.Version.Info, "Virtual scanner");
    source.identity.ProtocolMajor = 2;
    source.identity.ProtocolMinor = 4;
    source.identity.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_DS2;
    copyText(source.identity.Manufacturer, device->vendor);
    copyText(source.identity.ProductFamily, "Virtual scanner");
    copyText(source.identity.ProductName, device->model);
    source.folder = folderOf(imaging.driverPath);
    source.device = std::move(*device);
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
  if (!origin) return fail(TWCC_BADPROTOCOL, nullptr);
  const auto app = applications_.find(idOf(*origin));
  if (!dest) {
    if (dg != DG_CONTROL) return fail(TWCC_BADPROTOCOL, app == applications_.end() ? nullptr : &app->second);
    return control(*origin, dat, msg, data);
  }
  if (app == applications_.end()) return fail(TWCC_SEQERROR, nullptr);
  const auto source = app->second.open.find(idOf(*dest));
  if (source == app->second.open.end()) return fail(TWCC_BADDEST, &app->second);
  return source->second->handle(dg, dat, msg, data);
}

TW_UINT16 SourceManager::control(TW_IDENTITY& origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  auto found = applications_.find(idOf(origin));
  Application* app = found == applications_.end() ? nullptr : &found->second;
  switch (dat) {
    case DAT_PARENT:
      if (msg == MSG_OPENDSM) {
        if (app) return fail(TWCC_SEQERROR, app);
        origin.Id = nextApplicationId_++;
        applications_[idOf(origin)];
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
      if (app.open.count(idOf(chosen->identity))) return fail(TWCC_SEQERROR, &app);
      auto opened = std::make_unique<VirtualDataSource>(chosen->identity, chosen->device, chosen->folder, sheets_,
                                                        spareImage_);
      opened->open();
      *source = chosen->identity;
      app.open[idOf(chosen->identity)] = std::move(opened);
      return TWRC_SUCCESS;
    }
    case MSG_CLOSEDS: {
      const auto it = app.open.find(idOf(*source));
      if (it == app.open.end()) return fail(TWCC_NODS, &app);
      it->second->close();
      app.open.erase(it);
      return TWRC_SUCCESS;
    }
    default: return fail(TWCC_BADPROTOCOL, &app);
  }
}

}  // namespace ostrel::virtualscanner
