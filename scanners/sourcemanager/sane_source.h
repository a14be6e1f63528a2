#pragma once
// The TWAIN data source of a scanner reached through SANE. The application's
// pixel type, resolution, frame, feeder and duplex become SANE options when
// the source is enabled; pages are then read on a helper thread, one when the
// application asks for it, so the application's event polling keeps
// answering while the scanner warms up and reads: the source says it is ready
// (MSG_XFERREADY) only once the first page is in. A sheet is fed only when the
// application asks for the next transfer, so a batch the application stops
// leaves the rest of the stack in the feeder.
#include <memory>
#include <optional>
#include <string>

#include "imaging/dib.h"
#include "scanners/protocol/twain_protocol.h"
#include "scanners/sane/page_reader.h"
#include "scanners/sane/sane_device.h"
#include "scanners/sane/sane_device_settings.h"
#include "scanners/sourcemanager/data_source.h"

namespace ostrel::virtualscanner {

class SaneDataSource : public DataSource {
 public:
  // MSG_OPENDS: opens the SANE device and starts the session record in the
  // device's folder; nullptr with the reason when SANE cannot open it.
  static std::unique_ptr<SaneDataSource> open(const twain::TW_IDENTITY& identity,
                                              const sane::SaneDeviceSettings& settings,
                                              const std::string& deviceFolder, std::string* error);
  ~SaneDataSource() override;

  const twain::TW_IDENTITY& identity() const override { return identity_; }

 private:
  SaneDataSource(const twain::TW_IDENTITY& identity, std::shared_ptr<sane::SaneDevice> device,
                 const sane::DeviceAbilities& abilities, std::string deviceFolder);

  twain::TW_UINT16 enable() override;
  void disable() override;
  twain::TW_UINT16 event(twain::TW_EVENT* event) override;
  twain::TW_UINT32 nextPageNumber() const override { return static_cast<twain::TW_UINT32>(pagesTaken_ + 1); }
  twain::TW_UINT16 pendingTransfers(twain::TW_UINT16 msg, twain::TW_PENDINGXFERS* pending) override;
  // The page of the transfer under way, waited for when it is still being
  // read; null when the batch has ended (the source then asks to be closed).
  Dib* transferPage(const char* triplet) override;
  std::string pageLabel() const override;
  std::pair<double, double> imageResolution() const override;
  void pageHandedOver() override;

  // What the capabilities and the driver settings ask of the scanner.
  sane::ScanRequest request() const;
  // The page as the application asked for it (depth, automatic colour).
  Dib shape(Dib page) const;
  // No more pages: back to state 5, asking to be closed.
  void batchEnded();
  // Stops the reader after the page in hand; the record says when the scanner
  // keeps it busy longer than the source waits.
  void stopReading();

  twain::TW_IDENTITY identity_;
  std::shared_ptr<sane::SaneDevice> device_;
  sane::DeviceAbilities abilities_;
  std::string deviceFolder_;

  std::unique_ptr<sane::PageReader> reader_;
  bool awaitingFirstPage_ = false;
  double resolution_ = 0;  // what the scanner scans at
  std::optional<Dib> current_;
  int pagesTaken_ = 0;
  int transfersDone_ = 0;
};

}  // namespace ostrel::virtualscanner
