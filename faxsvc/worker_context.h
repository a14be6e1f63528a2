#pragma once
// What every worker of a running service shares: folders, server, timing, the
// log, the stop signal and the two queues between workers.
#include "faxsvc/diagnostic_log.h"
#include "faxsvc/fax_link.h"
#include "faxsvc/fax_paths.h"
#include "faxsvc/job_queue.h"
#include "faxsvc/stop_signal.h"
#include "faxsvc/timing.h"

namespace ostrel::fax {

struct WorkerContext {
  FaxPaths paths;
  Endpoint endpoint;
  Timing timing;
  DiagnosticLog& log;
  const StopSignal& stop;
  LockedQueue<SendJob>& jobs;
  LockedQueue<ReportRequest>& reports;
};

}  // namespace ostrel::fax
