#include "app/scan/twain/twain_data_source.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "platform/activity_log.h"

namespace ostrel {

using namespace twain;

namespace {

// A source enabled without its own window that stays silent this long is
// taken to have given up, rather than waited for without end.
constexpr auto kQuietLimit = std::chrono::minutes(1);
constexpr auto kPollPause = std::chrono::milliseconds(10);
// Bounds for the memory transfer buffer whatever size the source prefers.
constexpr TW_UINT32 kMinStripBuffer = 4096;
constexpr TW_UINT32 kMaxStripBuffer = 64u << 20;

}  // namespace

TwainDataSource::TwainDataSource(TwainManager& manager, const TW_IDENTITY& identity)
    : manager_(manager), identity_(identity) {}

TwainDataSource::~TwainDataSource() { Close(); }

TW_UINT16 TwainDataSource::Call(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  return manager_.Call(&identity_, dg, dat, msg, data);
}

TW_UINT16 TwainDataSource::Open() {
  if (open_) return TWRC_SUCCESS;
  const TW_UINT16 rc = manager_.Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &identity_);
  open_ = rc == TWRC_SUCCESS;
  return rc;
}

void TwainDataSource::Close() {
  if (!open_) return;
  Disable();
  manager_.Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &identity_);
  open_ = false;
}

TW_UINT16 TwainDataSource::Enable(bool showUI, TW_HANDLE parent, TW_UINT16 msg) {
  if (!parent) return TWRC_DATANOTAVAILABLE;
  if (IsEnabled()) return TWRC_SUCCESS;
  ui_.ShowUI = showUI ? 1 : 0;
  ui_.ModalUI = 0;
  ui_.hParent = parent;
  const TW_UINT16 rc = Call(DG_CONTROL, DAT_USERINTERFACE, msg, &ui_);
  if (rc != TWRC_SUCCESS && rc != TWRC_CHECKSTATUS) ui_.hParent = nullptr;
  return rc;
}

void TwainDataSource::Disable() {
  if (!IsEnabled()) return;
  Call(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui_);
  ui_.hParent = nullptr;
}

bool TwainDataSource::SetCapability(TW_UINT16 capability, TW_UINT32 value, TW_UINT16 itemType) {
  TW_HANDLE container = manager_.Allocate(sizeof(TW_ONEVALUE));
  auto* one = static_cast<TW_ONEVALUE*>(manager_.Lock(container));
  if (!one) {
    manager_.Release(container);
    return false;
  }
  one->ItemType = itemType;
  one->Item = value;
  manager_.Unlock(container);
  TW_CAPABILITY request{capability, TWON_ONEVALUE, container};
  const TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &request);
  manager_.Release(container);
  return rc == TWRC_SUCCESS;
}

bool TwainDataSource::SetFixedCapability(TW_UINT16 capability, double value) {
  return SetCapability(capability, fix32AsItem(toFix32(value)), TWTY_FIX32);
}

TW_UINT32 TwainDataSource::GetCapability(TW_UINT16 capability) {
  TW_CAPABILITY request{capability, TWON_DONTCARE16, nullptr};
  const TW_UINT16 rc = Call(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &request);
  TW_UINT32 value = 0;
  if (rc == TWRC_SUCCESS && request.ConType == TWON_ONEVALUE) {
    if (const auto* one = static_cast<const TW_ONEVALUE*>(manager_.Lock(request.hContainer))) {
      value = one->Item;
      manager_.Unlock(request.hContainer);
    }
  }
  manager_.Release(request.hContainer);
  return value;
}

bool TwainDataSource::SetFrame(double left, double top, double right, double bottom) {
  TW_IMAGELAYOUT layout{};
  Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
  layout.Frame = {toFix32(left), toFix32(top), toFix32(right), toFix32(bottom)};
  return Call(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout) == TWRC_SUCCESS;
}

std::optional<TW_UINT16> TwainDataSource::NextEvent() {
  TW_EVENT event{nullptr, MSG_NULL};
  if (Call(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event) != TWRC_DSEVENT) return std::nullopt;
  return event.TWMessage;
}

bool TwainDataSource::ProcessEvent() {
  const auto message = NextEvent();
  if (!message) return false;
  switch (*message) {
    case MSG_XFERREADY: OnTransferReady(); break;
    case MSG_CLOSEDSREQ: OnCloseRequest(); break;
    case MSG_CLOSEDSOK: OnCloseConfirmed(); break;
    default: break;
  }
  return true;
}

void TwainDataSource::Transfer() {
  switch (GetCapability(ICAP_XFERMECH)) {
    case TWSX_NATIVE: TransferNative(); break;
    case TWSX_FILE: TransferFiles(); break;
    case TWSX_MEMORY: TransferMemory(); break;
    default: break;
  }
}

TW_UINT16 TwainDataSource::TransferFiles() {
  int index = 0;
  std::string name = MakeFileName(index);
  for (;;) {
    TW_SETUPFILEXFER setup{};
    std::snprintf(setup.FileName, sizeof setup.FileName, "%s", name.c_str());
    setup.Format = TWFF_BMP;
    setup.VRefNum = 0;
    Call(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
    const TW_UINT16 rc = Call(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
    if (rc == TWRC_XFERDONE && !OnFileReceived(name)) {
      std::remove(name.c_str());
      return TWRC_CANCEL;
    }
    TW_PENDINGXFERS pending{};
    const TW_UINT16 end = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    if (end == TWRC_SUCCESS && pending.Count == 0) return TWRC_SUCCESS;
    // Neither the image nor its end went through: asking again would go on for ever.
    if (rc != TWRC_XFERDONE && end != TWRC_SUCCESS) return TWRC_FAILURE;
    name = MakeFileName(++index);
  }
}

int TwainDataSource::TransferNative() {
  int transfers = 0;
  for (;;) {
    TW_HANDLE image = nullptr;
    if (Call(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image) != TWRC_XFERDONE) break;
    const bool goOn = OnNativeImage(image) != 0;
    if (freeAfterTransfer_) manager_.Release(image);
    if (!goOn) break;  // cancelled: no MSG_ENDXFER
    TW_PENDINGXFERS pending{};
    const TW_UINT16 end = Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    ++transfers;
    if (end == TWRC_SUCCESS && pending.Count == 0) break;
    if (pump_ && !pump_()) {
      TW_PENDINGXFERS reset{};
      Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset);
      break;
    }
  }
  return transfers;
}

TW_UINT16 TwainDataSource::TransferMemory() {
  TW_SETUPMEMXFER setup{};
  if (Call(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) return TWRC_FAILURE;
  // Copied out first: std::clamp takes references, and the packed fields may be misaligned.
  const TW_UINT32 preferred = setup.Preferred ? setup.Preferred : setup.MinBufSize;
  const TW_UINT32 size = std::clamp(preferred, kMinStripBuffer, kMaxStripBuffer);
  std::vector<std::uint8_t> buffer(size);
  for (;;) {
    TW_IMAGEINFO info{};
    // Without an image there is nothing to read strips of.
    if (Call(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) return TWRC_FAILURE;
    if (!OnMemoryBegin(info)) return TWRC_CANCEL;
    TW_UINT16 rc;
    do {
      TW_IMAGEMEMXFER strip{};
      strip.Compression = TWON_DONTCARE16;
      strip.BytesPerRow = strip.Columns = strip.Rows = TWON_DONTCARE32;
      strip.XOffset = strip.YOffset = strip.BytesWritten = TWON_DONTCARE32;
      strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, size, buffer.data()};
      rc = Call(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
      if ((rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) && !OnMemoryStrip(strip)) return TWRC_CANCEL;
      if (rc == TWRC_XFERDONE && !OnMemoryEnd()) return TWRC_CANCEL;
    } while (rc == TWRC_SUCCESS);
    TW_PENDINGXFERS pending{};
    if (Call(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending) == TWRC_SUCCESS && pending.Count == 0) {
      return TWRC_SUCCESS;
    }
  }
}

void TwainDataSource::RunMessageLoop() {
  auto quietSince = std::chrono::steady_clock::now();
  while (IsEnabled()) {
    if (ProcessEvent()) {
      quietSince = std::chrono::steady_clock::now();
      continue;
    }
    if (pump_ && !pump_()) break;
    std::this_thread::sleep_for(kPollPause);
    if (ui_.ShowUI == 0 && std::chrono::steady_clock::now() - quietSince > kQuietLimit) {
      Log("The scanner's data source sent no event for a minute; it is disabled.");
      break;
    }
  }
  Disable();
}

void TwainDataSource::EnableAndRun(bool showUI, TW_HANDLE parent) {
  Enable(showUI, parent);
  RunMessageLoop();
}

void TwainDataSource::EnableSettingsAndRun(TW_HANDLE parent) {
  Enable(true, parent, MSG_ENABLEDSUIONLY);
  RunMessageLoop();
}

void TwainDataSource::OnTransferReady() {
  Transfer();
  // With its own window shown, the source stays enabled until it asks to close.
  if (IsEnabled() && ui_.ShowUI == 0) Disable();
}

void TwainDataSource::OnCloseRequest() { Disable(); }
void TwainDataSource::OnCloseConfirmed() { Disable(); }

std::string TwainDataSource::MakeFileName(int index) {
  char name[257];
  std::snprintf(name, sizeof name, "%08d.bmp", index);
  return name;
}

int TwainDataSource::OnNativeImage(TW_HANDLE) { return 1; }
int TwainDataSource::OnFileReceived(const std::string&) { return 1; }
int TwainDataSource::OnMemoryBegin(const TW_IMAGEINFO&) { return 1; }
int TwainDataSource::OnMemoryStrip(const TW_IMAGEMEMXFER&) { return 1; }
int TwainDataSource::OnMemoryEnd() { return 1; }

}  // namespace ostrel
