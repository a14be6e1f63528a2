#pragma once
// The SendSpoolWatcher: takes the oldest request file from Send/, checks it,
// archives it with its documents into the day's folder, writes the result file
// and queues a SendJob. A request that keeps failing its checks is moved aside
// as .err, so no request blocks the spool.
#include <string>

#include "faxsvc/spool_request.h"
#include "faxsvc/worker_context.h"

namespace ostrel::fax {

class SpoolWatcher {
 public:
  explicit SpoolWatcher(WorkerContext& context) : c_(context) {}

  // Pauses ten ticks, then runs a pass a tick until stopped.
  void run();
  void runPass();

 private:
  void handleInvalid(const std::string& name, const std::string& path, int code);
  void accept(const std::string& name, const std::string& path, const FaxRequest& request);
  // Moves the documents into the archive, logging each that is missing, busy,
  // empty or refused; what arrived there is judged afterwards by its size.
  void moveDocuments(const std::string& requestName, const FaxRequest& request, const std::string& dateFolder);
  void moveDocument(const std::string& requestName, const std::string& document, const std::string& dateFolder);
  std::uint64_t totalSize(const FaxRequest& request, const std::string& dateFolder) const;

  WorkerContext& c_;
  int failures_ = 0;
  int nextJob_ = 1;
};

}  // namespace ostrel::fax
