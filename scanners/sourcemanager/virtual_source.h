#pragma once
// The virtual scanner's TWAIN data source: a feeder holding a stack of page
// images, simplex or duplex (a duplex scanner's stack holds the sides in turn,
// front and back; a session with CAP_DUPLEXENABLED off takes only the fronts, as
// a duplex scanner scanning one side does), sampled at the requested resolution, frame and pixel
// type, and handed over by native, file or memory transfer. It follows the
// TWAIN states 4 (open) to 7 (transferring), and forgives a disable or close
// in the middle of a transfer so an application can always shut it down.
#include <optional>
#include <string>

#include "imaging/dib.h"
#include "scanners/protocol/twain_protocol.h"
#include "scanners/sourcemanager/data_source.h"
#include "scanners/sourcemanager/page_memory.h"
#include "scanners/sourcemanager/page_renderer.h"
#include "scanners/sourcemanager/page_stack.h"
#include "scanners/sourcemanager/sheet_cache.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::virtualscanner {

class VirtualDataSource : public DataSource {
 public:
  // sheets, drawer and pages are the source manager's: sheets already read,
  // what draws generated sheets (none: they fail), and the memory pages are
  // drawn in.
  VirtualDataSource(const twain::TW_IDENTITY& identity, VirtualDevice device, std::string deviceFolder,
                    SheetCache& sheets, SheetDrawer* drawer, PageMemory& pages);

  const twain::TW_IDENTITY& identity() const override { return identity_; }

  // MSG_OPENDS: starts the session record and takes the stack afresh.
  void open();

 private:
  twain::TW_UINT16 enable() override;
  void disable() override;
  twain::TW_UINT32 nextPageNumber() const override {
    return static_cast<twain::TW_UINT32>(nextSheet_ / stride_ + 1);
  }
  twain::TW_UINT16 pendingTransfers(twain::TW_UINT16 msg, twain::TW_PENDINGXFERS* pending) override;
  // The image of the current transfer, rendered from the next readable sheet.
  Dib* transferPage(const char* triplet) override;
  std::string pageLabel() const override;
  std::pair<double, double> imageResolution() const override;
  void pageHandedOver() override;

  int remaining() const;

  twain::TW_IDENTITY identity_;
  VirtualDevice device_;
  std::string deviceFolder_;

  SheetCache& sheets_;
  SheetDrawer* drawer_;
  PageStack stack_;
  std::size_t nextSheet_ = 0;
  // Stack images per transfer: 2 while a duplex stack is scanned one-sided, so
  // the backs are passed over.
  std::size_t stride_ = 1;
  int transfersDone_ = 0;
  PageMemory& pages_;
  std::optional<Dib> current_;
  std::string currentName_;
};

}  // namespace ostrel::virtualscanner
