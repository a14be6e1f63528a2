#pragma once
// The virtual scanner's TWAIN data source: a feeder holding a stack of page
// images, simplex or duplex (a duplex session takes the stack's images in turn
// as front and back), sampled at the requested resolution, frame and pixel
// type, and handed over by native, file or memory transfer. It follows the
// TWAIN states 4 (open) to 7 (transferring), and forgives a disable or close
// in the middle of a transfer so an application can always shut it down.
#include <deque>
#include <optional>
#include <string>

#include "app/output/dib.h"
#include "app/scan/twain/twain_protocol.h"
#include "tools/virtualscanner/page_renderer.h"
#include "tools/virtualscanner/page_stack.h"
#include "tools/virtualscanner/session_record.h"
#include "tools/virtualscanner/sheet_cache.h"
#include "tools/virtualscanner/source_capabilities.h"
#include "tools/virtualscanner/virtual_device.h"

namespace ostrel::virtualscanner {

class VirtualDataSource {
 public:
  // sheets and spare are the source manager's: sheets already read, and the
  // image last handed over, which the next one is drawn over.
  VirtualDataSource(const twain::TW_IDENTITY& identity, VirtualDevice device, std::string deviceFolder,
                    SheetCache& sheets, std::optional<Dib>& spare);

  const twain::TW_IDENTITY& identity() const { return identity_; }

  // MSG_OPENDS: starts the session record and takes the stack afresh.
  void open();
  // MSG_CLOSEDS, also when the source manager closes it on the way out.
  void close(const char* how = "MSG_CLOSEDS");

  // A triplet the application sent to this source.
  twain::TW_UINT16 handle(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_MEMREF data);

 private:
  enum class State { Open = 4, Enabled = 5, Ready = 6, Transferring = 7 };

  twain::TW_UINT16 fail(twain::TW_UINT16 condition);
  twain::TW_UINT16 userInterface(twain::TW_UINT16 msg, twain::TW_USERINTERFACE* ui);
  twain::TW_UINT16 event(twain::TW_EVENT* event);
  twain::TW_UINT16 layout(twain::TW_UINT16 msg, twain::TW_IMAGELAYOUT* layout);
  twain::TW_UINT16 pendingTransfers(twain::TW_UINT16 msg, twain::TW_PENDINGXFERS* pending);
  twain::TW_UINT16 nativeTransfer(twain::TW_HANDLE* image);
  twain::TW_UINT16 imageInfo(twain::TW_IMAGEINFO* info);
  twain::TW_UINT16 memoryTransfer(twain::TW_IMAGEMEMXFER* strip);
  twain::TW_UINT16 setupFileTransfer(twain::TW_UINT16 msg, twain::TW_SETUPFILEXFER* setup);
  twain::TW_UINT16 fileTransfer();

  // The image of the current transfer, rendered from the next readable sheet.
  const Dib* currentImage();
  twain::TW_UINT16 noImage(const char* triplet);
  int remaining() const;
  void disable();

  twain::TW_IDENTITY identity_;
  VirtualDevice device_;
  std::string deviceFolder_;
  SourceCapabilities capabilities_;
  SessionRecord record_;
  State state_ = State::Open;
  twain::TW_UINT16 condition_ = twain::TWCC_SUCCESS;
  std::deque<twain::TW_UINT16> events_;

  SheetCache& sheets_;
  PageStack stack_;
  std::size_t nextSheet_ = 0;
  int transfersDone_ = 0;
  std::optional<Dib> current_;
  std::optional<Dib>& spare_;
  std::string currentName_;
  int stripRow_ = 0;

  FrameInches frame_;
  bool frameSet_ = false;
  std::string transferFile_ = "TWAIN.TMP";
  twain::TW_UINT16 transferFormat_ = twain::TWFF_BMP;
};

}  // namespace ostrel::virtualscanner
