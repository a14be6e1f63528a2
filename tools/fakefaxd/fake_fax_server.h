#pragma once
// A fax server for tests and demos: the server side of every exchange of the
// fax protocol, on loopback only. What it answers is scripted through setters
// (taking effect for the next message); everything it receives is recorded.
// Its message code is written separately from the library's on purpose, so a
// layout mistake in one does not hide behind the same mistake in the other.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/unique_fd.h"

namespace ostrel::fakefax {

using Bytes = std::vector<std::uint8_t>;

struct ReturnedFile {
  std::string name;
  Bytes content;
};

// The answer to a send request (type 34): FAX_SEND_ACK2.
struct SendAnswer {
  char result = 0;          // 'I', another character, or 0
  std::uint8_t status = 0;  // with result 0: 1 finished without conversion, else converted
  std::uint32_t pages = 1;
  std::vector<ReturnedFile> files;
};

// The answer to a conversion request (type 38): FAX_CONV_ACK.
struct ConversionAnswer {
  std::uint8_t result = 0;  // 0 success
  std::uint32_t pages = 1;
  std::vector<ReturnedFile> files;
};

// The answer to a report request (type 36).
struct ReportAnswer {
  bool acknowledged = true;  // type 32, which wants a type 33 back; else type 37
  std::uint32_t sentPages = 1;
  std::string startTime = "2024-05-06 10:00:00";
  std::string endTime = "2024-05-06 10:01:30";
  std::string resultCode = "000";
};

struct IncomingFax {
  std::string sender = "0212345678";
  std::string receiver = "0298765432";
  std::string fileName = "incoming.tif";
  std::uint32_t pages = 1;
  std::string date = "2024-05-06 11:00:00";
  Bytes content;
};

// A successful conversion answer (FAX_CONV_ACK) for the job `fod`, whole, for
// queueRaw: its name list goes on the wire as given, whatever the files are,
// so a test can send lists no honest server would.
Bytes conversionAnswerFrame(const std::string& fod, std::uint32_t pages, std::string_view nameList,
                            const std::vector<Bytes>& contents);

// One message the server received.
struct Received {
  int connection = 0;        // 1, 2, ... in accept order
  std::uint8_t purpose = 0;  // the purpose code of the connection's login
  std::uint8_t type = 0;
  Bytes bytes;               // the whole message
};

class FakeFaxServer {
 public:
  // Listens on 127.0.0.1; port 0 picks a free one. listening() tells whether
  // the port could be had.
  explicit FakeFaxServer(std::uint16_t port = 0);
  ~FakeFaxServer();
  FakeFaxServer(const FakeFaxServer&) = delete;
  FakeFaxServer& operator=(const FakeFaxServer&) = delete;

  bool listening() const { return listen_.valid(); }
  std::uint16_t port() const { return port_; }

  void setLoginStatus(std::uint8_t status);
  void setAnswerLogins(bool answer);
  void setCredit(std::uint32_t credit);
  void setOwnNumber(std::string number);
  void setSendAnswer(SendAnswer answer);
  void setConversionAnswer(ConversionAnswer answer);
  void setReportAnswer(ReportAnswer answer);
  void setAnswerReports(bool answer);
  // Sends every answer one byte at a time with this pause before each byte, as
  // a server on a bad line (or one that means to hold the client) would; zero
  // sends at once. A change applies from the next byte, also to an answer that
  // is under way.
  void setAnswerPace(std::chrono::milliseconds perByte);

  // Delivered to the first receive connection that is logged in.
  void queueIncomingFax(IncomingFax fax);
  // Sent as it is to the first connection logged in with this purpose.
  void queueRaw(std::uint8_t purpose, Bytes message);

  std::vector<Received> received() const;
  std::vector<Received> received(std::uint8_t type, int purpose = -1) const;
  // Connections the client closed, by purpose code.
  int closedConnections(std::uint8_t purpose) const;
  // Waits until the condition holds (checked whenever something happens).
  bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const;

  // Receiving side of a printable log line per message, for the demo.
  void setObserver(std::function<void(const Received&)> observer);

 private:
  struct Connection;
  void acceptLoop();
  void serve(std::shared_ptr<Connection> connection);
  void answer(Connection& connection, const Bytes& message);
  void deliverQueued(Connection& connection);
  void record(Received received);
  bool sendAnswer(int fd, const Bytes& bytes);

  platform::UniqueFd listen_;
  platform::UniqueFd stop_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::uint8_t loginStatus_ = 0;
  bool answerLogins_ = true;
  std::uint32_t credit_ = 0;
  std::string ownNumber_;
  SendAnswer sendAnswer_;
  ConversionAnswer conversionAnswer_;
  ReportAnswer reportAnswer_;
  bool answerReports_ = true;
  std::chrono::milliseconds answerPace_{0};
  std::deque<IncomingFax> faxes_;
  std::map<std::uint8_t, std::deque<Bytes>> raw_;
  std::vector<Received> received_;
  std::map<std::uint8_t, int> closed_;
  std::function<void(const Received&)> observer_;
  int nextConnection_ = 1;

  std::thread acceptThread_;
  std::vector<std::thread> connectionThreads_;
};

}  // namespace ostrel::fakefax
