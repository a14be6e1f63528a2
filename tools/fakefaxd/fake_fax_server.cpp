#include "tools/fakefaxd/fake_fax_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>

#include "platform/unique_fd.h"

namespace ostrel::fakefax {

namespace {

using ostrel::platform::UniqueFd;

constexpr std::size_t kFrame = 512;
constexpr std::uint32_t kLargestAccepted = 64u << 20;

void put32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  if (bytes.size() < at + 4) bytes.resize(at + 4, 0);
  bytes[at] = static_cast<std::uint8_t>(value >> 24);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 16);
  bytes[at + 2] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 3] = static_cast<std::uint8_t>(value);
}

std::uint32_t get32(const Bytes& bytes, std::size_t at) {
  if (bytes.size() < at + 4) return 0;
  return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

// Text of at most `width` bytes, cut (the fake server is lenient).
void putText(Bytes& bytes, std::size_t at, std::size_t width, const std::string& text) {
  if (bytes.size() < at + width) bytes.resize(at + width, 0);
  std::memcpy(&bytes[at], text.data(), std::min(text.size(), width));
}

std::string getText(const Bytes& bytes, std::size_t at, std::size_t width) {
  std::string text;
  for (std::size_t i = at; i < std::min(bytes.size(), at + width) && bytes[i] != 0; ++i) {
    text += static_cast<char>(bytes[i]);
  }
  return text;
}

Bytes message(std::uint8_t type, std::uint8_t status = 0) {
  Bytes bytes(kFrame, 0);
  bytes[0] = type;
  bytes[1] = status;
  return bytes;
}

Bytes finish(Bytes bytes) {
  if (bytes.size() < kFrame) bytes.resize(kFrame, 0);
  put32(bytes, 2, static_cast<std::uint32_t>(bytes.size() - 6));
  return bytes;
}

// Count, name-list length and the name list; the files follow with appendFile.
void putFileList(Bytes& bytes, std::size_t at, std::uint32_t count, std::string_view names) {
  put32(bytes, at, count);
  put32(bytes, at + 4, static_cast<std::uint32_t>(names.size()));
  bytes.resize(at + 8);
  bytes.insert(bytes.end(), names.begin(), names.end());
}

void appendFile(Bytes& bytes, const Bytes& content) {
  put32(bytes, bytes.size(), static_cast<std::uint32_t>(content.size()));
  bytes.insert(bytes.end(), content.begin(), content.end());
}

void putFiles(Bytes& bytes, std::size_t at, const std::vector<ReturnedFile>& files) {
  std::string names;
  for (const auto& file : files) names += (names.empty() ? "" : ",") + file.name;
  putFileList(bytes, at, static_cast<std::uint32_t>(files.size()), names);
  for (const auto& file : files) appendFile(bytes, file.content);
}

// FAX_CONV_ACK up to its page count; the files follow only on success.
Bytes conversionAck(const std::string& fod, std::uint8_t result, std::uint32_t pages) {
  Bytes reply = message(39);
  reply[6] = result;
  putText(reply, 7, 30, fod);
  if (result == 0) put32(reply, 37, pages);
  return reply;
}

bool sendAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool receiveAll(int fd, std::uint8_t* into, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::recv(fd, into + done, count - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

Bytes conversionAnswerFrame(const std::string& fod, std::uint32_t pages, std::string_view nameList,
                            const std::vector<Bytes>& contents) {
  Bytes reply = conversionAck(fod, 0, pages);
  putFileList(reply, 41, static_cast<std::uint32_t>(contents.size()), nameList);
  for (const auto& content : contents) appendFile(reply, content);
  return finish(std::move(reply));
}

struct FakeFaxServer::Connection {
  UniqueFd fd;
  int id = 0;
  std::uint8_t purpose = 0;
  bool loggedIn = false;
};

FakeFaxServer::FakeFaxServer(std::uint16_t port) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const int yes = 1;
  ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd.get(), 16) != 0 ||
      ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;
  }
  port_ = ntohs(address.sin_port);
  stop_ = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  listen_ = std::move(fd);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

FakeFaxServer::~FakeFaxServer() {
  stopping_ = true;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(stop_.get(), &one, sizeof one);
  if (acceptThread_.joinable()) acceptThread_.join();
  for (auto& thread : connectionThreads_) thread.join();
}

void FakeFaxServer::acceptLoop() {
  while (!stopping_) {
    std::array<pollfd, 2> entries{{{listen_.get(), POLLIN, 0}, {stop_.get(), POLLIN, 0}}};
    if (::poll(entries.data(), entries.size(), -1) <= 0 || stopping_) continue;
    UniqueFd client(::accept4(listen_.get(), nullptr, nullptr, SOCK_CLOEXEC));
    if (!client.valid()) continue;
    auto connection = std::make_shared<Connection>();
    connection->fd = std::move(client);
    {
      std::lock_guard lock(mutex_);
      connection->id = nextConnection_++;
    }
    connectionThreads_.emplace_back([this, connection] { serve(connection); });
  }
}

void FakeFaxServer::serve(std::shared_ptr<Connection> connection) {
  const int fd = connection->fd.get();
  while (!stopping_) {
    deliverQueued(*connection);
    std::array<pollfd, 2> entries{{{fd, POLLIN, 0}, {stop_.get(), POLLIN, 0}}};
    if (::poll(entries.data(), entries.size(), 10) <= 0 || stopping_) continue;
    Bytes bytes(kFrame);
    bool whole = receiveAll(fd, bytes.data(), kFrame);
    if (whole) {
      const std::uint64_t total = std::uint64_t{get32(bytes, 2)} + 6;
      if (total > kLargestAccepted) break;
      if (total > kFrame) {
        bytes.resize(static_cast<std::size_t>(total));
        whole = receiveAll(fd, bytes.data() + kFrame, bytes.size() - kFrame);
      }
    }
    if (!whole) {
      std::lock_guard lock(mutex_);
      ++closed_[connection->purpose];
      changed_.notify_all();
      return;
    }
    if (bytes[0] == 1) connection->purpose = bytes[46];
    record({connection->id, connection->purpose, bytes[0], bytes});
    answer(*connection, bytes);
  }
}

void FakeFaxServer::answer(Connection& connection, const Bytes& request) {
  std::unique_lock lock(mutex_);
  Bytes reply;
  switch (request[0]) {
    case 1: {  // login
      if (!answerLogins_) return;
      connection.loggedIn = loginStatus_ == 0;
      reply = message(2, loginStatus_);
      if (connection.purpose == 'C') put32(reply, 7, credit_);
      if (connection.purpose == 'D') putText(reply, 7, 20, ownNumber_);
      break;
    }
    case 34: {  // send request
      const SendAnswer& a = sendAnswer_;
      reply = message(35, a.status);
      reply[6] = static_cast<std::uint8_t>(a.result);
      putText(reply, 7, 30, getText(request, 6, 30));
      putText(reply, 37, 20, "fake server");
      if (a.result == 0 && a.status != 1) {
        put32(reply, 57, a.pages);
        putFiles(reply, 61, a.files);
      }
      break;
    }
    case 38: {  // conversion request
      const ConversionAnswer& a = conversionAnswer_;
      reply = conversionAck(getText(request, 6, 30), a.result, a.pages);
      if (a.result == 0) putFiles(reply, 41, a.files);
      break;
    }
    case 36: {  // report request
      if (!answerReports_) return;
      const ReportAnswer& a = reportAnswer_;
      reply = message(a.acknowledged ? 32 : 37);
      put32(reply, 6, a.sentPages);
      putText(reply, 10, 19, a.startTime);
      putText(reply, 29, 19, a.endTime);
      putText(reply, 48, 3, a.resultCode);
      putText(reply, 51, 30, getText(request, 6, 30));
      putText(reply, 81, 20, getText(request, 36, 20));
      break;
    }
    default:
      return;  // acknowledgements and keep-alives need no answer
  }
  lock.unlock();
  sendAnswer(connection.fd.get(), finish(std::move(reply)));
}

bool FakeFaxServer::sendAnswer(int fd, const Bytes& bytes) {
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    std::chrono::milliseconds pace;
    {
      std::lock_guard lock(mutex_);
      pace = answerPace_;
    }
    if (pace.count() == 0) return sendAll(fd, std::span(bytes).subspan(at));
    pollfd stop{stop_.get(), POLLIN, 0};
    if (::poll(&stop, 1, static_cast<int>(pace.count())) != 0 || stopping_) return false;
    if (::send(fd, &bytes[at], 1, MSG_NOSIGNAL) != 1) return false;
  }
  return true;
}

void FakeFaxServer::deliverQueued(Connection& connection) {
  if (!connection.loggedIn) return;
  std::vector<Bytes> out;
  {
    std::lock_guard lock(mutex_);
    if (connection.purpose == 4) {
      for (; !faxes_.empty(); faxes_.pop_front()) {
        const IncomingFax& fax = faxes_.front();
        Bytes bytes = message(5);
        putText(bytes, 6, 20, fax.sender);
        putText(bytes, 26, 20, fax.receiver);
        putText(bytes, 46, 256, fax.fileName);
        put32(bytes, 302, fax.pages);
        putText(bytes, 306, 19, fax.date);
        put32(bytes, 325, static_cast<std::uint32_t>(fax.content.size()));
        bytes.resize(329);
        bytes.insert(bytes.end(), fax.content.begin(), fax.content.end());
        out.push_back(finish(std::move(bytes)));
      }
    }
    auto& raw = raw_[connection.purpose];
    for (; !raw.empty(); raw.pop_front()) out.push_back(std::move(raw.front()));
  }
  for (const auto& bytes : out) sendAll(connection.fd.get(), bytes);
}

void FakeFaxServer::record(Received received) {
  std::function<void(const Received&)> observer;
  {
    std::lock_guard lock(mutex_);
    received_.push_back(received);
    observer = observer_;
    changed_.notify_all();
  }
  if (observer) observer(received);
}

void FakeFaxServer::setLoginStatus(std::uint8_t status) {
  std::lock_guard lock(mutex_);
  loginStatus_ = status;
}

void FakeFaxServer::setAnswerLogins(bool answer) {
  std::lock_guard lock(mutex_);
  answerLogins_ = answer;
}

void FakeFaxServer::setCredit(std::uint32_t credit) {
  std::lock_guard lock(mutex_);
  credit_ = credit;
}

void FakeFaxServer::setOwnNumber(std::string number) {
  std::lock_guard lock(mutex_);
  ownNumber_ = std::move(number);
}

void FakeFaxServer::setSendAnswer(SendAnswer answer) {
  std::lock_guard lock(mutex_);
  sendAnswer_ = std::move(answer);
}

void FakeFaxServer::setConversionAnswer(ConversionAnswer answer) {
  std::lock_guard lock(mutex_);
  conversionAnswer_ = std::move(answer);
}

void FakeFaxServer::setReportAnswer(ReportAnswer answer) {
  std::lock_guard lock(mutex_);
  reportAnswer_ = std::move(answer);
}

void FakeFaxServer::setAnswerReports(bool answer) {
  std::lock_guard lock(mutex_);
  answerReports_ = answer;
}

void FakeFaxServer::setAnswerPace(std::chrono::milliseconds perByte) {
  std::lock_guard lock(mutex_);
  answerPace_ = perByte;
}

void FakeFaxServer::queueIncomingFax(IncomingFax fax) {
  std::lock_guard lock(mutex_);
  faxes_.push_back(std::move(fax));
}

void FakeFaxServer::queueRaw(std::uint8_t purpose, Bytes message) {
  std::lock_guard lock(mutex_);
  raw_[purpose].push_back(std::move(message));
}

void FakeFaxServer::setObserver(std::function<void(const Received&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

std::vector<Received> FakeFaxServer::received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::vector<Received> FakeFaxServer::received(std::uint8_t type, int purpose) const {
  std::lock_guard lock(mutex_);
  std::vector<Received> matching;
  for (const auto& r : received_) {
    if (r.type == type && (purpose < 0 || r.purpose == purpose)) matching.push_back(r);
  }
  return matching;
}

int FakeFaxServer::closedConnections(std::uint8_t purpose) const {
  std::lock_guard lock(mutex_);
  const auto it = closed_.find(purpose);
  return it == closed_.end() ? 0 : it->second;
}

bool FakeFaxServer::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    std::unique_lock lock(mutex_);
    // Checked again at least every 50 ms: conditions may look at files as well.
    changed_.wait_for(lock, std::chrono::milliseconds(50));
    if (std::chrono::steady_clock::now() >= deadline) return condition();
  }
  return true;
}

}  // namespace ostrel::fakefax
