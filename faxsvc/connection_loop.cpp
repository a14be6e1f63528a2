#include "faxsvc/connection_loop.h"

namespace ostrel::fax {

void runConnection(ConnectionMode& mode, WorkerContext& c) {
  FaxLink link(c.endpoint, c.log, c.stop, c.timing);
  const ConnectionMode::Waits waits = mode.waits();
  std::optional<Credentials> credentials;
  bool awaitingAnswer = false;
  int idlePolls = 0;

  while (!c.stop.isSet()) {
    if (!credentials) {
      credentials = loadCredentials();
      if (!credentials) {
        c.log.write("I cannot read login info from registry.");
        c.stop.waitFor(c.timing.seconds(5));
        continue;
      }
    }
    if (link.needsLogin()) {
      if (link.connect()) {
        const auto login = buildLogin(credentials->userId, credentials->password, mode.purpose());
        awaitingAnswer = login && link.send(*login);
      }
      if (c.stop.isSet()) break;
      if (link.needsLogin()) {
        c.stop.waitFor(c.timing.seconds(5));
        if (mode.rereadCredentialsAfterFailedConnect()) credentials.reset();
        continue;
      }
      idlePolls = 0;
    }
    if (!awaitingAnswer && mode.sendPending(link)) awaitingAnswer = !link.needsLogin();

    switch (link.poll(c.timing.tick)) {
      case FaxLink::Poll::Stopped:
        continue;
      case FaxLink::Poll::Error:
        link.disconnect();
        c.stop.waitFor(c.timing.seconds(waits.pollError));
        continue;
      case FaxLink::Poll::Timeout:
        if (++idlePolls >= kDropAtIdlePolls) {
          link.disconnect();
          idlePolls = 0;
          c.stop.waitFor(c.timing.seconds(10));
          continue;
        }
        if (idlePolls >= kKeepAliveFromIdlePolls) {
          link.send(buildEmpty(message_type::kKeepAlive));
          mode.keepAliveSent();
        }
        break;
      case FaxLink::Poll::Readable: {
        idlePolls = 0;
        const auto frame = link.receive();
        if (!frame) {
          c.stop.waitFor(c.timing.seconds(waits.readFailure));
          continue;
        }
        awaitingAnswer = false;
        const MessageView message(*frame);
        if (message.type() == message_type::kLoginAnswer) {
          if (message.status() != 0) {
            link.disconnect();
            c.stop.waitFor(c.timing.seconds(10));
            continue;
          }
        } else {
          mode.handle(message, link, *credentials);
        }
        break;
      }
    }
    if (waits.passEnd > 0) c.stop.waitFor(c.timing.seconds(waits.passEnd));
  }
  link.disconnect();
}

}  // namespace ostrel::fax
