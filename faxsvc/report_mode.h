#pragma once
// The report connection: asks the server for transmission reports queued by the
// result monitor and writes each report into its result file, which it then
// archives.
#include "faxsvc/connection_loop.h"

namespace ostrel::fax {

class ReportMode : public ConnectionMode {
 public:
  explicit ReportMode(WorkerContext& context) : c_(context) {}

  Purpose purpose() const override { return Purpose::Report; }
  Waits waits() const override { return {5, 5, 0}; }
  bool sendPending(FaxLink& link) override;
  void handle(const MessageView& message, FaxLink& link, const Credentials& credentials) override;

 private:
  void record(const FaxReport& report);

  WorkerContext& c_;
};

}  // namespace ostrel::fax
