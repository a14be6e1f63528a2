#include "faxsvc/fax_link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "faxsvc/format.h"

namespace ostrel::fax {

namespace {

// A server that stops sending in the middle of a message, or stops taking our
// bytes, is given this many ticks before the connection is dropped.
constexpr int kStallTicks = 60;
constexpr int kConnectTicks = 30;

std::optional<in_addr> resolve(const std::string& server, int& error) {
  in_addr address{};
  if (::inet_pton(AF_INET, server.c_str(), &address) == 1) return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  error = ::getaddrinfo(server.c_str(), nullptr, &hints, &found);
  if (error != 0 || !found) return std::nullopt;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return address;
}

}  // namespace

FaxLink::FaxLink(Endpoint endpoint, DiagnosticLog& log, const StopSignal& stop, Timing timing)
    : endpoint_(std::move(endpoint)), log_(log), stop_(stop), timing_(timing) {}

bool FaxLink::connect() {
  socket_.reset();
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.valid()) {
    log_.write(format("[ERROR CODE: %d] Failed to create a socket.", errno));
    return false;
  }
  const char* server = endpoint_.server.c_str();
  log_.write(endpoint_.server);
  int error = 0;
  const auto address = resolve(endpoint_.server, error);
  if (!address) {
    log_.write(format("[ERROR CODE: %d] %s lookup failed by gethostbyname().,", error, server));
    return false;
  }
  log_.write("Connecting to " + endpoint_.server);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(endpoint_.port);
  target.sin_addr = *address;
  socket_ = std::move(fd);
  error = 0;
  if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    error = errno;
    if (error == EINPROGRESS) {
      const Ready ready = waitFor(POLLOUT, kConnectTicks);
      socklen_t length = sizeof error;
      if (ready != Ready::Yes) {
        error = ready == Ready::Stalled ? ETIMEDOUT : ECANCELED;
      } else if (::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
      }
    }
  }
  if (error != 0) {
    log_.write(format("[ERROR CODE: %d] Failed to connect to %s", error, server));
    socket_.reset();
    return false;
  }
  log_.write(format("Connected to %s", server));
  needsLogin_ = false;
  return true;
}

FaxLink::Ready FaxLink::waitFor(short events, int ticks) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = std::min(Clock::now() + timing_.seconds(ticks), deadline_);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return Ready::Stalled;
    std::array<pollfd, 2> entries{{{socket_.get(), events, 0}, {stop_.fd(), POLLIN, 0}}};
    const int n = ::poll(entries.data(), stop_.fd() >= 0 ? 2 : 1,
                         static_cast<int>(std::min<long long>(left.count(), 1000)));
    if (stop_.isSet()) return Ready::Stopped;
    if (n < 0 && errno != EINTR) return Ready::Failed;
    if (n > 0 && entries[0].revents != 0) return Ready::Yes;
  }
}

bool FaxLink::send(std::span<const std::uint8_t> bytes) {
  int error = ENOTCONN;
  while (socket_.valid() && !bytes.empty()) {
    const ssize_t n = ::send(socket_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(n));
      continue;
    }
    error = n == 0 ? 0 : errno;
    if (n < 0 && error == EINTR) continue;
    if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
      const Ready ready = waitFor(POLLOUT, kStallTicks);
      if (ready == Ready::Yes) continue;
      error = ready == Ready::Stalled ? ETIMEDOUT : ECANCELED;
    }
    break;
  }
  if (socket_.valid() && bytes.empty()) return true;
  log_.write(format("[Error Code: %d] Disconnected from the server while sending.", error));
  markDown();
  return false;
}

std::optional<Bytes> FaxLink::receive() {
  FrameReader reader;
  std::array<std::uint8_t, 65536> chunk{};
  int error = ENOTCONN;
  while (socket_.valid()) {
    const ssize_t n = ::recv(socket_.get(), chunk.data(), std::min(reader.wanted(), chunk.size()), 0);
    if (n > 0) {
      reader.feed(std::span(chunk.data(), static_cast<std::size_t>(n)));
      if (reader.complete()) return reader.take();
      if (reader.failed()) {
        log_.write(reader.error() + " Disconnecting.");
        disconnect();
        return std::nullopt;
      }
      continue;
    }
    error = n == 0 ? 0 : errno;
    if (n < 0 && error == EINTR) continue;
    if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK)) {
      const Ready ready = waitFor(POLLIN, kStallTicks);
      if (ready == Ready::Yes) continue;
      error = ready == Ready::Stalled ? ETIMEDOUT : ECANCELED;
    }
    break;
  }
  log_.write(format("[ERROR CODE: %d] Disconnected from the server while receiving.", error));
  markDown();
  return std::nullopt;
}

FaxLink::Poll FaxLink::poll(std::chrono::milliseconds timeout) {
  if (!socket_.valid()) return Poll::Error;
  std::array<pollfd, 2> entries{{{socket_.get(), POLLIN, 0}, {stop_.fd(), POLLIN, 0}}};
  const int n = ::poll(entries.data(), stop_.fd() >= 0 ? 2 : 1, static_cast<int>(timeout.count()));
  if (stop_.isSet()) return Poll::Stopped;
  if (n < 0) return errno == EINTR ? Poll::Timeout : Poll::Error;
  if (n == 0) return Poll::Timeout;
  if (entries[0].revents & POLLNVAL) return Poll::Error;
  // Hang-ups and errors read as readable: the receive that follows sees them.
  return entries[0].revents != 0 ? Poll::Readable : Poll::Timeout;
}

void FaxLink::disconnect() {
  if (socket_.valid()) ::shutdown(socket_.get(), SHUT_RDWR);
  markDown();
}

void FaxLink::markDown() {
  socket_.reset();
  needsLogin_ = true;
}

}  // namespace ostrel::fax
