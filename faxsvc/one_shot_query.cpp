#include "faxsvc/one_shot_query.h"

#include "faxsvc/stop_signal.h"

namespace ostrel::fax {

namespace {

// Eight silent polls end the query. Refusals count too, so a server repeating
// them cannot hold the caller forever.
constexpr int kMaxPolls = 8;

}  // namespace

std::optional<LoginAnswer> runOneShotQuery(const Endpoint& endpoint, DiagnosticLog& log, Timing timing,
                                           const std::string& userId, const std::string& password,
                                           Purpose purpose) {
  const StopSignal neverStops;
  FaxLink link(endpoint, log, neverStops, timing);
  if (!link.connect()) {
    log.write("Connection failed to " + endpoint.server + ".");
    return std::nullopt;
  }
  const auto login = buildLogin(userId, password, purpose);
  if (!login || !link.send(*login)) return std::nullopt;

  for (int polls = 1; polls <= kMaxPolls; ++polls) {
    switch (link.poll(timing.tick)) {
      case FaxLink::Poll::Timeout:
        if (polls < kMaxPolls) neverStops.waitFor(timing.tick);
        continue;
      case FaxLink::Poll::Readable: {
        const auto frame = link.receive();
        if (!frame) return std::nullopt;
        const auto answer = parseLoginAnswer(MessageView(*frame));
        if (!answer) return std::nullopt;
        if (answer->status == 0) {
          link.disconnect();
          return answer;
        }
        continue;  // a refusal is not the answer; the server may still accept
      }
      case FaxLink::Poll::Error:
      case FaxLink::Poll::Stopped:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace ostrel::fax
