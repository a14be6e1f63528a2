#pragma once
// One TWAIN data source as the application drives it: open and close, enable
// and disable, the capability operations, and the transfer loops. The virtual
// operations are the points where a kind of source (button scan, preview)
// takes the images and events.
#include <functional>
#include <optional>
#include <string>

#include "app/scan/twain/twain_manager.h"
#include "scanners/protocol/twain_protocol.h"

namespace ostrel {

class TwainDataSource {
 public:
  TwainDataSource(TwainManager& manager, const twain::TW_IDENTITY& identity);
  // Closes the source if it is still open.
  virtual ~TwainDataSource();
  TwainDataSource(const TwainDataSource&) = delete;
  TwainDataSource& operator=(const TwainDataSource&) = delete;

  twain::TW_IDENTITY& Identity() { return identity_; }
  bool IsOpen() const { return open_; }
  // A source is enabled while its user-interface record holds a parent.
  bool IsEnabled() const { return ui_.hParent != nullptr; }

  // DG_CONTROL / DAT_IDENTITY / MSG_OPENDS.
  twain::TW_UINT16 Open();
  // Disables the source if needed, then DG_CONTROL / DAT_IDENTITY / MSG_CLOSEDS.
  void Close();
  // DG_CONTROL / DAT_USERINTERFACE / MSG_ENABLEDS (or MSG_ENABLEDSUIONLY). Without
  // a parent window the call is not made and the result is 9; an enabled source
  // is left as it is. A failure leaves the parent cleared.
  twain::TW_UINT16 Enable(bool showUI, twain::TW_HANDLE parent, twain::TW_UINT16 msg = twain::MSG_ENABLEDS);
  void Disable();

  // Capability operations, each one call; failures are reported, not thrown.
  bool SetCapability(twain::TW_UINT16 capability, twain::TW_UINT32 value, twain::TW_UINT16 itemType);
  bool SetFixedCapability(twain::TW_UINT16 capability, double value);
  // The current value, or 0 when the call fails.
  twain::TW_UINT32 GetCapability(twain::TW_UINT16 capability);
  // DG_IMAGE / DAT_IMAGELAYOUT: MSG_GET, then MSG_SET with the frame in inches.
  bool SetFrame(double left, double top, double right, double bottom);

  // DG_CONTROL / DAT_EVENT / MSG_PROCESSEVENT: the message of the source's next
  // event; nullopt when it has none.
  std::optional<twain::TW_UINT16> NextEvent();
  // The message filter: asks the source for one event and dispatches it;
  // false when the source had none.
  bool ProcessEvent();
  // The caller's own events, handled between the polls of the message loops
  // and between the images of the native transfer loop, so the program keeps
  // answering during a session. It must not block. Returning false leaves a
  // message loop, or ends the native transfers with the pending ones reset.
  void SetMessagePump(std::function<bool()> pump) { pump_ = std::move(pump); }

  // Virtual operations, in this order.
  virtual void Transfer();
  virtual twain::TW_UINT16 TransferFiles();
  // Returns the number of transfers ended.
  virtual int TransferNative();
  virtual twain::TW_UINT16 TransferMemory();
  virtual void EnableAndRun(bool showUI, twain::TW_HANDLE parent);
  virtual void EnableSettingsAndRun(twain::TW_HANDLE parent);
  virtual void OnTransferReady();
  virtual void OnCloseRequest();
  virtual void OnCloseConfirmed();
  virtual std::string MakeFileName(int index);
  // Non-zero to go on with the next image.
  virtual int OnNativeImage(twain::TW_HANDLE image);
  virtual int OnFileReceived(const std::string& path);
  virtual int OnMemoryBegin(const twain::TW_IMAGEINFO& info);
  virtual int OnMemoryStrip(const twain::TW_IMAGEMEMXFER& strip);
  virtual int OnMemoryEnd();

 protected:
  TwainManager& manager_;
  bool freeAfterTransfer_ = true;

 private:
  twain::TW_UINT16 Call(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_MEMREF data);
  void RunMessageLoop();

  twain::TW_IDENTITY identity_;
  bool open_ = false;
  twain::TW_USERINTERFACE ui_{};
  std::function<bool()> pump_;
};

}  // namespace ostrel
