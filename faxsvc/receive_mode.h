#pragma once
// The receive connection: stores each incoming fax in Recv/ with its info file
// and acknowledges it once it is safely on disk.
#include "faxsvc/connection_loop.h"
#include "faxsvc/spool_files.h"

namespace ostrel::fax {

class ReceiveMode : public ConnectionMode {
 public:
  explicit ReceiveMode(WorkerContext& context) : c_(context), recvFiles_(context.paths.recv, ".inf") {}

  Purpose purpose() const override { return Purpose::Receive; }
  Waits waits() const override { return {5, 10, 0}; }
  void handle(const MessageView& message, FaxLink& link, const Credentials& credentials) override;
  bool rereadCredentialsAfterFailedConnect() const override { return true; }

 private:
  WorkerContext& c_;
  NewFileWriter recvFiles_;  // a fax never takes the name of another or of its info file
};

}  // namespace ostrel::fax
