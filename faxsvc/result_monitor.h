#pragma once
// The ResultMonitor: every ten ticks it reads each result file in Send/, asks
// for transmission reports of converted jobs (again every pass until one
// arrives) and archives the finished ones into their day's folder.
#include <string>

#include "faxsvc/worker_context.h"

namespace ostrel::fax {

class ResultMonitor {
 public:
  explicit ResultMonitor(WorkerContext& context) : c_(context) {}

  void run();
  void runPass();

 private:
  void handle(const std::string& name);

  WorkerContext& c_;
};

}  // namespace ostrel::fax
