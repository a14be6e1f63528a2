#include "app/scan/twain/twain_scan_session.h"

#include "app/scan/twain/button_scan.h"

namespace ostrel {

namespace {

class JobReceiver : public PageReceiver {
 public:
  JobReceiver(ScanJob& job, const PassControl& control) : job_(job), control_(control) {}
  void DuplexReported(bool duplex) override { job_.setDuplex(duplex); }
  int PageReceived(Dib page, int side) override {
    const int result = job_.HandlePage(std::move(page), side);
    if (control_.pageTaken) control_.pageTaken();
    return result;
  }

 private:
  ScanJob& job_;
  const PassControl& control_;
};

}  // namespace

PassEnd TwainScanSession::run(CButtonSetting& button, ScanJob& job, const PassControl& control) {
  JobReceiver receiver(job, control);
  return RunButtonScan(config_, receiver, button, ui_,
                       sourceManagerPath_.empty() ? defaultSourceManagerPath() : sourceManagerPath_, control.stop);
}

}  // namespace ostrel
