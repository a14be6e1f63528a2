#include "app/scan/twain/twain_scan_session.h"

#include "app/scan/twain/button_scan.h"

namespace ostrel {

namespace {

class JobReceiver : public PageReceiver {
 public:
  explicit JobReceiver(ScanJob& job) : job_(job) {}
  void DuplexReported(bool duplex) override { job_.setDuplex(duplex); }
  int PageReceived(Dib page, int side) override { return job_.HandlePage(std::move(page), side); }

 private:
  ScanJob& job_;
};

}  // namespace

void TwainScanSession::run(CButtonSetting& button, ScanJob& job) {
  JobReceiver receiver(job);
  RunButtonScan(config_, receiver, button, ui_,
                sourceManagerPath_.empty() ? defaultSourceManagerPath() : sourceManagerPath_, pump_);
}

}  // namespace ostrel
