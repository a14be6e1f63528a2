#include "faxsvc/one_shot_query.h"

#include <algorithm>

#include "faxsvc/stop_signal.h"

namespace ostrel::fax {

namespace {

using Clock = std::chrono::steady_clock;

// Eight silent polls end the query. Refusals count too, so a server repeating
// them cannot hold the caller forever.
constexpr int kMaxPolls = 8;
// The whole exchange, connecting included, ends by then: a server that drips
// its answer a byte at a time restarts the stall limit with every byte, and the
// caller is a dialog waiting for its login.
constexpr int kDeadlineTicks = 30;

// Sends the login and polls for the accepted answer, no wait going past the deadline.
std::optional<LoginAnswer> loginAndAwaitAnswer(FaxLink& link, const StopSignal& neverStops,
                                               Clock::time_point deadline, Timing timing,
                                               const std::string& userId, const std::string& password,
                                               Purpose purpose) {
  const auto login = buildLogin(userId, password, purpose);
  if (!login || !link.send(*login)) return std::nullopt;
  const auto untilDeadline = [&] {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return std::clamp(left, std::chrono::milliseconds(0), timing.tick);
  };
  for (int polls = 1; polls <= kMaxPolls && Clock::now() < deadline; ++polls) {
    switch (link.poll(untilDeadline())) {
      case FaxLink::Poll::Timeout:
        if (polls < kMaxPolls) neverStops.waitFor(untilDeadline());
        continue;
      case FaxLink::Poll::Readable: {
        const auto frame = link.receive();
        if (!frame) return std::nullopt;
        const auto answer = parseLoginAnswer(MessageView(*frame));
        if (!answer) return std::nullopt;
        if (answer->status == 0) return answer;
        continue;  // a refusal is not the answer; the server may still accept
      }
      case FaxLink::Poll::Error:
      case FaxLink::Poll::Stopped:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<LoginAnswer> runOneShotQuery(const Endpoint& endpoint, DiagnosticLog& log, Timing timing,
                                           const std::string& userId, const std::string& password,
                                           Purpose purpose) {
  const StopSignal neverStops;
  FaxLink link(endpoint, log, neverStops, timing);
  const auto deadline = Clock::now() + timing.seconds(kDeadlineTicks);
  link.setDeadline(deadline);
  if (!link.connect()) {
    log.write("Connection failed to " + endpoint.server + ".");
    return std::nullopt;
  }
  const auto answer = loginAndAwaitAnswer(link, neverStops, deadline, timing, userId, password, purpose);
  if (!answer && Clock::now() >= deadline) {
    log.write(endpoint.server + " did not answer in time.");
  }
  link.disconnect();
  return answer;
}

}  // namespace ostrel::fax
