#pragma once
// A data source of our source manager, whatever kind it is (a virtual scanner,
// a scanner reached through SANE). What every kind does alike lives here: the
// sorting of the triplets an application sends, the TWAIN states 4 (open) to
// 7 (transferring), capabilities, the frame, events, DAT_STATUS, the set-up
// of file transfers and the transfers themselves, all noted in the session
// record. Each kind supplies its pages and says when they are ready.
#include <deque>
#include <string>
#include <utility>

#include "scanners/protocol/twain_protocol.h"
#include "scanners/sourcemanager/frame_layout.h"
#include "scanners/sourcemanager/image_transfer.h"
#include "scanners/sourcemanager/session_record.h"
#include "scanners/sourcemanager/source_capabilities.h"
#include "scanners/sourcemanager/virtual_device.h"

namespace ostrel::virtualscanner {

class DataSource {
 public:
  virtual ~DataSource() = default;
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  virtual const twain::TW_IDENTITY& identity() const = 0;
  // MSG_CLOSEDS, also when the source manager closes it on the way out.
  void close(const char* how = "MSG_CLOSEDS");

  // A triplet the application sent to this source.
  twain::TW_UINT16 handle(twain::TW_UINT32 dg, twain::TW_UINT16 dat, twain::TW_UINT16 msg, twain::TW_MEMREF data);

 protected:
  enum class State { Open = 4, Enabled = 5, Ready = 6, Transferring = 7 };

  // shape: the scanner the capabilities describe; bed: its scan area in
  // inches, the frame until the application sets one.
  DataSource(const VirtualDevice& shape, const FrameInches& bed) : capabilities_(shape), layout_(bed) {}

  // Notes the condition for DAT_STATUS; returns TWRC_FAILURE.
  twain::TW_UINT16 fail(twain::TW_UINT16 condition);

  // MSG_ENABLEDS, in state 4.
  virtual twain::TW_UINT16 enable() = 0;
  // Back to state 4 (MSG_DISABLEDS, a close).
  virtual void disable() = 0;
  // MSG_PROCESSEVENT: the next event queued. A source that learns of its
  // events late looks for them first.
  virtual twain::TW_UINT16 event(twain::TW_EVENT* event);
  // The page the next transfer brings, for DAT_IMAGELAYOUT.
  virtual twain::TW_UINT32 nextPageNumber() const = 0;
  virtual twain::TW_UINT16 pendingTransfers(twain::TW_UINT16 msg, twain::TW_PENDINGXFERS* pending) = 0;
  // The page of the transfer under way; null when there is none, the failure
  // then recorded and its condition noted. A native transfer takes its memory.
  virtual Dib* transferPage(const char* triplet) = 0;
  // How the session record names the page in hand.
  virtual std::string pageLabel() const = 0;
  // The horizontal and vertical resolution DAT_IMAGEINFO reports.
  virtual std::pair<double, double> imageResolution() const = 0;
  // The page in hand has gone whole to the application (after a native
  // transfer, with its memory: only an empty image is left).
  virtual void pageHandedOver() = 0;

  SourceCapabilities capabilities_;
  SessionRecord record_;
  FrameLayout layout_;
  FileTransferSetup fileSetup_;
  StripTransfer strips_;
  State state_ = State::Open;
  twain::TW_UINT16 condition_ = twain::TWCC_SUCCESS;
  std::deque<twain::TW_UINT16> events_;

 private:
  twain::TW_UINT16 capability(twain::TW_UINT16 msg, twain::TW_CAPABILITY& capability);
  twain::TW_UINT16 status(twain::TW_STATUS& status);
  twain::TW_UINT16 userInterface(twain::TW_UINT16 msg, twain::TW_USERINTERFACE* ui);
  twain::TW_UINT16 layout(twain::TW_UINT16 msg, twain::TW_IMAGELAYOUT* layout);
  twain::TW_UINT16 setupFileTransfer(twain::TW_UINT16 msg, twain::TW_SETUPFILEXFER* setup);
  twain::TW_UINT16 imageInfo(twain::TW_IMAGEINFO* info);
  twain::TW_UINT16 nativeTransfer(twain::TW_HANDLE* image);
  twain::TW_UINT16 memoryTransfer(twain::TW_IMAGEMEMXFER* strip);
  twain::TW_UINT16 fileTransfer();
};

}  // namespace ostrel::virtualscanner
