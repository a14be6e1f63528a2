#pragma once
// CBnDS: the data source of a button scan. Each native image goes, as a page,
// synchronously to the receiver (the manager hands it to the scan job); with
// duplex on, the side flips after every image, so a missing back page shifts
// every later side.
#include "imaging/dib.h"
#include "app/scan/twain/twain_data_source.h"

namespace ostrel {

class PageReceiver {
 public:
  virtual ~PageReceiver() = default;
  // Whether the source scans both sides, told before the first page.
  virtual void DuplexReported(bool duplex) = 0;
  // One page, side 0 front, 1 back. The receiver owns it; 0 stops the transfers.
  virtual int PageReceived(Dib page, int side) = 0;
};

class CBnDS : public TwainDataSource {
 public:
  CBnDS(TwainManager& manager, const twain::TW_IDENTITY& identity, PageReceiver& target);

  void SetDuplex(bool duplex);
  bool Duplex() const { return duplex_; }
  int Side() const { return side_; }

  int OnNativeImage(twain::TW_HANDLE image) override;

 private:
  PageReceiver& target_;
  int side_ = 0;
  bool duplex_ = false;
};

}  // namespace ostrel
