#pragma once
// One TCP connection to the fax server, with the connection log lines of the
// library. Reads and writes never block without limit: each watches the stop
// signal and gives up when the server stalls in the middle of a message. Used
// by one thread.
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "faxsvc/diagnostic_log.h"
#include "faxsvc/fax_message.h"
#include "faxsvc/stop_signal.h"
#include "faxsvc/timing.h"
#include "platform/unique_fd.h"

namespace ostrel::fax {

inline constexpr std::uint16_t kDefaultServerPort = 24000;

struct Endpoint {
  std::string server;  // dotted IPv4 address or host name
  std::uint16_t port = kDefaultServerPort;
};

class FaxLink {
 public:
  enum class Poll { Readable, Timeout, Error, Stopped };

  FaxLink(Endpoint endpoint, DiagnosticLog& log, const StopSignal& stop, Timing timing);

  // Closes any open socket and connects; true when connected.
  bool connect();
  // Sends every byte; on failure the connection is down (needs login).
  bool send(std::span<const std::uint8_t> bytes);
  // Receives one whole frame; on failure the connection is down.
  std::optional<Bytes> receive();
  // Waits until a message starts to arrive.
  Poll poll(std::chrono::milliseconds timeout);
  // Shuts the socket down both ways and closes it; the connection needs login.
  void disconnect();
  // No wait of connect, send or receive goes past this point, however the
  // server paces its bytes; one that would counts as a stall.
  void setDeadline(std::chrono::steady_clock::time_point deadline) { deadline_ = deadline; }

  bool needsLogin() const { return needsLogin_; }

 private:
  enum class Ready { Yes, Stalled, Stopped, Failed };
  Ready waitFor(short events, int ticks);
  void markDown();

  Endpoint endpoint_;
  DiagnosticLog& log_;
  const StopSignal& stop_;
  Timing timing_;
  platform::UniqueFd socket_;
  bool needsLogin_ = true;
  std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
};

}  // namespace ostrel::fax
