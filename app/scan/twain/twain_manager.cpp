#include "app/scan/twain/twain_manager.h"

#include <cstdio>
#include <cstring>

#include "platform/activity_log.h"
#include "app/scan/twain/twain_data_source.h"
#include "platform/environment.h"
#include "platform/text.h"

namespace ostrel {

using namespace twain;

namespace {

void copyText(TW_STR32& field, const char* text) { std::snprintf(field, sizeof field, "%s", text); }

std::uint32_t get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The size of a packed bitmap from its header, or the header alone when the
// header is not one Dib::adopt takes (it then says why).
std::size_t packedSize(const std::uint8_t* header) {
  const std::uint32_t width = get32(header + 4);
  const std::uint32_t height = get32(header + 8);
  const std::uint32_t bits = get32(header + 14) & 0xFFFF;
  const std::uint32_t colours = get32(header + 32);
  const bool plausible = get32(header) == Dib::kHeaderSize && (bits == 1 || bits == 8 || bits == 24) &&
                         width >= 1 && width <= Dib::kMaxDimension && height >= 1 &&
                         height <= Dib::kMaxDimension && (bits == 24 || colours <= (1u << bits));
  if (!plausible) return Dib::kHeaderSize;
  const std::size_t palette = bits == 24 ? 0 : (colours ? colours : 1u << bits);
  return Dib::kHeaderSize + 4 * palette + Dib::strideFor(static_cast<int>(width), static_cast<int>(bits)) * height;
}

}  // namespace

std::string defaultSourceManagerPath() {
  return platform::joinPath(platform::programFolder(), "libostreldsm.so");
}

TW_HANDLE desktopWindow() {
  static char desktop;
  return &desktop;
}

TwainManager::TwainManager(std::string sourceManagerPath) : libraryPath_(std::move(sourceManagerPath)) {
  identity_.Id = 0;
  identity_.Version.MajorNum = 2;
  identity_.Version.MinorNum = 0;
  identity_.Version.Language = TWLG_USA;
  identity_.Version.Country = TWCY_USA;
  copyText(identity_.Version.Info, "OBX 2.1");
  identity_.ProtocolMajor = 1;
  identity_.ProtocolMinor = 8;
  identity_.SupportedGroups = DG_CONTROL | DG_IMAGE;
  copyText(identity_.Manufacturer, "Norvane");
  copyText(identity_.ProductFamily, "Norvane");
  copyText(identity_.ProductName, "Ostrel");
}

TwainManager::~TwainManager() { CloseSourceManager(); }

bool TwainManager::OpenSourceManager(TW_HANDLE parent) {
  if (IsOpen()) return true;
  if (!library_) {
    std::string error;
    auto opened = platform::DynamicLibrary::open(libraryPath_, &error);
    if (!opened) {
      Log("The TWAIN source manager cannot be loaded: " + error);
      return false;
    }
    library_ = std::make_shared<const platform::DynamicLibrary>(std::move(*opened));
    entry_ = library_->function<std::remove_pointer_t<DSMENTRYPROC>>("DSM_Entry");
    if (!entry_) {
      Log("The TWAIN source manager " + libraryPath_ + " has no DSM_Entry.");
      return false;
    }
  }
  TW_HANDLE window = parent;
  if (entry_(&identity_, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window) != TWRC_SUCCESS) return false;
  // Containers and images must live in the source manager's own memory.
  memory_ = TW_ENTRYPOINT{};
  memory_.Size = sizeof memory_;
  if (entry_(&identity_, nullptr, DG_CONTROL, DAT_ENTRYPOINT, MSG_GET, &memory_) != TWRC_SUCCESS ||
      !memory_.DSM_MemAllocate || !memory_.DSM_MemFree || !memory_.DSM_MemLock || !memory_.DSM_MemUnlock) {
    Log("The TWAIN source manager does not offer its memory functions.");
    entry_(&identity_, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
    return false;
  }
  parent_ = parent;
  return true;
}

void TwainManager::CloseSourceManager() {
  for (auto& source : sources_) source->Close();
  sources_.clear();
  if (!IsOpen()) return;
  TW_HANDLE window = parent_;
  entry_(&identity_, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window);
  parent_ = nullptr;
}

std::vector<TW_IDENTITY> TwainManager::FindSources(std::string_view productName) {
  std::vector<TW_IDENTITY> found;
  if (!IsOpen()) return found;
  TW_IDENTITY source{};
  for (TW_UINT16 msg = MSG_GETFIRST;; msg = MSG_GETNEXT) {
    source = TW_IDENTITY{};
    if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, msg, &source) != TWRC_SUCCESS) break;
    const std::string_view name(source.ProductName, strnlen(source.ProductName, sizeof source.ProductName));
    if (name == productName) found.push_back(source);
  }
  return found;
}

TwainDataSource& TwainManager::AddSource(std::unique_ptr<TwainDataSource> source) {
  sources_.push_back(std::move(source));
  return *sources_.back();
}

TW_UINT16 TwainManager::Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  if (!entry_) return TWRC_FAILURE;
  return entry_(&identity_, dest, dg, dat, msg, data);
}

TW_UINT16 TwainManager::ConditionCode(TW_IDENTITY* dest) {
  TW_STATUS status{};
  return Call(dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : TWCC_BUMMER;
}

TW_HANDLE TwainManager::Allocate(TW_UINT32 size) const {
  return memory_.DSM_MemAllocate ? memory_.DSM_MemAllocate(size) : nullptr;
}
void TwainManager::Release(TW_HANDLE handle) const {
  if (handle && memory_.DSM_MemFree) memory_.DSM_MemFree(handle);
}
void* TwainManager::Lock(TW_HANDLE handle) const {
  return handle && memory_.DSM_MemLock ? memory_.DSM_MemLock(handle) : nullptr;
}
void TwainManager::Unlock(TW_HANDLE handle) const {
  if (handle && memory_.DSM_MemUnlock) memory_.DSM_MemUnlock(handle);
}

std::optional<Dib> TwainManager::TakeNativeImage(TW_HANDLE image, std::string* error) const {
  // Made before the handle is locked: nothing can fail between taking it and
  // handing it to the page.
  Dib::Deleter freeWithPage([library = library_, unlock = memory_.DSM_MemUnlock, release = memory_.DSM_MemFree,
                             image](std::uint8_t*) {
    unlock(image);
    release(image);
  });
  auto* bytes = static_cast<std::uint8_t*>(Lock(image));
  if (!bytes) {
    Release(image);
    if (error) *error = "the image handle is empty";
    return std::nullopt;
  }
  const std::size_t size = packedSize(bytes);
  return Dib::adopt(Dib::Buffer(bytes, std::move(freeWithPage)), size, error);
}

}  // namespace ostrel
