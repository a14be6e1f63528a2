#pragma once
// The send connection: takes SendJobs from the queue one answer at a time,
// sends them with their documents, and writes the server's answers into the
// jobs' result files, storing the converted pages it returns in Tif/.
#include <optional>
#include <string>
#include <vector>

#include "faxsvc/connection_loop.h"
#include "faxsvc/spool_files.h"

namespace ostrel::fax {

class SendMode : public ConnectionMode {
 public:
  explicit SendMode(WorkerContext& context) : c_(context), tifFiles_(context.paths.tif) {}

  Purpose purpose() const override { return Purpose::Send; }
  Waits waits() const override { return {10, 10, 1}; }
  bool sendPending(FaxLink& link) override;
  void handle(const MessageView& message, FaxLink& link, const Credentials& credentials) override;
  // A keep-alive ends the repetition check: after a quiet spell the same
  // documents may well be meant to go again.
  void keepAliveSent() override { repetitionArmed_ = false; }

 private:
  void dropJob(const SendJob& job, const std::string& why);
  std::optional<std::string> resultFileOf(const char* answer, const std::string& fod);
  void onSendAck(const MessageView& message);
  void onConversionAck(const MessageView& message);
  std::string storeReturnedFiles(const std::vector<ReturnedFile>& files);
  std::uint32_t waitForPages(const std::string& resultPath);

  WorkerContext& c_;
  NewFileWriter tifFiles_;
  std::vector<std::string> lastDocuments_;
  bool repetitionArmed_ = false;  // the last job got its final answer
};

}  // namespace ostrel::fax
