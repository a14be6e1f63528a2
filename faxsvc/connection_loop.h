#pragma once
// The loop every long-lived connection runs (send, receive, report): read the
// credentials, log in, hand queued work to the mode, poll the socket one tick at
// a time, keep the connection alive when idle, and reconnect after any failure.
// It never gives up while the service runs.
#include "faxsvc/credentials.h"
#include "faxsvc/fax_link.h"
#include "faxsvc/fax_message.h"
#include "faxsvc/protocol.h"
#include "faxsvc/worker_context.h"

namespace ostrel::fax {

// Idle polls after which a keep-alive goes out on every further idle poll, and
// after which the connection is dropped and made anew.
inline constexpr int kKeepAliveFromIdlePolls = 120;
inline constexpr int kDropAtIdlePolls = 150;

class ConnectionMode {
 public:
  // Pauses, in ticks, after a failed poll, after a failed read, and at the end
  // of every pass.
  struct Waits {
    int pollError;
    int readFailure;
    int passEnd;
  };

  virtual ~ConnectionMode() = default;
  virtual Purpose purpose() const = 0;
  virtual Waits waits() const = 0;
  // Sends the next queued piece of work if there is one; true when a message
  // was sent, so the connection waits for an answer before the next.
  virtual bool sendPending(FaxLink&) { return false; }
  // Any message but a login answer.
  virtual void handle(const MessageView& message, FaxLink& link, const Credentials& credentials) = 0;
  virtual void keepAliveSent() {}
  virtual bool rereadCredentialsAfterFailedConnect() const { return false; }
};

void runConnection(ConnectionMode& mode, WorkerContext& context);

}  // namespace ostrel::fax
