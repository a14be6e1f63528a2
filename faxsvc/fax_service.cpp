#include "faxsvc/fax_service.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

#include "faxsvc/credentials.h"
#include "faxsvc/format.h"
#include "faxsvc/job_queue.h"
#include "faxsvc/one_shot_query.h"
#include "faxsvc/receive_mode.h"
#include "faxsvc/report_mode.h"
#include "faxsvc/result_monitor.h"
#include "faxsvc/send_mode.h"
#include "faxsvc/spool_base.h"
#include "faxsvc/spool_watcher.h"
#include "faxsvc/stop_signal.h"
#include "platform/environment.h"

namespace ostrel::fax {

namespace {

template <typename Number>
std::optional<Number> numberFromEnvironment(const char* name) {
  const char* text = std::getenv(name);
  if (!text || !*text) return std::nullopt;
  Number value{};
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  if (error != std::errc() || *end != '\0') return std::nullopt;
  return value;
}

}  // namespace

ServiceOptions ServiceOptions::fromEnvironment() {
  ServiceOptions options;
  options.programDirectory = spoolBaseFolder();
  if (const auto port = numberFromEnvironment<std::uint16_t>("OSTREL_FAX_PORT"); port && *port != 0) {
    options.port = *port;
  }
  if (const auto tick = numberFromEnvironment<int>("OSTREL_FAX_TICK_MS"); tick && *tick > 0) {
    options.timing.tick = std::chrono::milliseconds(*tick);
  }
  return options;
}

// Everything that exists only while the service runs. Members are destroyed in
// reverse order, so the threads are gone before what they use.
struct FaxService::Workers {
  StopSignal stop;
  LockedQueue<SendJob> jobs;
  LockedQueue<ReportRequest> reports;
  WorkerContext context;
  std::vector<std::thread> threads;      // receive, report, monitor, watcher
  std::vector<std::thread> sendThreads;  // one per send connection

  Workers(const FaxPaths& paths, const Endpoint& endpoint, Timing timing, DiagnosticLog& log)
      : context{paths, endpoint, timing, log, stop, jobs, reports} {}

  ~Workers() {
    stop.set();
    for (auto& thread : threads) thread.join();
    for (auto& thread : sendThreads) thread.join();
  }
};

FaxService::FaxService() = default;

FaxService::~FaxService() { stop(); }

Endpoint FaxService::endpoint() const { return {settings_.server, options_.port}; }

int FaxService::initialize(const ServiceOptions& options) {
  if (running()) return 0;
  options_ = options;
  std::string directory = options.programDirectory;
  if (directory.empty()) {
    directory = platform::programFolder();
    if (directory.empty() || directory.front() != '/') {
      std::fprintf(stderr, "DLL loading error: Can not verify current module directory !\n");
      initialized_ = false;
      return -1;
    }
  }
  paths_ = FaxPaths::under(directory);
  settings_ = loadSettings(directory);
  log_.configure(directory, settings_.logging);
  initialized_ = true;
  return 0;
}

int FaxService::checkLengths(const std::string& userId, const std::string& password) {
  if (userId.size() > kCredentialMax) {
    log_.write("I cannot login beacause User ID length exceeded 20 byte.");
    return -5;
  }
  if (password.size() > kCredentialMax) {
    log_.write("I cannot login beacause password length exceeded 20 byte.");
    return -5;
  }
  return 0;
}

int FaxService::checkLogin(const std::string& userId, const std::string& password) {
  if (const int lengths = checkLengths(userId, password); lengths != 0) return lengths;
  if (!initialized_) return -1;
  if (!runOneShotQuery(endpoint(), log_, options_.timing, userId, password, Purpose::Send)) {
    log_.write(format("%s login failed.", userId.c_str()));
    loginFlag_ = false;
    return -1;
  }
  std::fputs("Login Succeeded!\n", stdout);
  loginFlag_ = true;
  switch (storeCredentials(userId, password)) {
    case StoreResult::Stored:
      return 0;
    case StoreResult::UserIdFailed:
      loginFlag_ = false;
      log_.write(format("Registring a user ID(%s) failed into registry.", userId.c_str()));
      return -2;
    case StoreResult::PasswordFailed:
      loginFlag_ = false;
      log_.write(format("Registring a password for %s failed intoregistry.", userId.c_str()));
      return -3;
    case StoreResult::EncryptionFailed:
      break;
  }
  loginFlag_ = false;
  log_.write(format("Password encryption for %s failed.", userId.c_str()));
  return -4;
}

int FaxService::credit(const std::string& userId, const std::string& password) {
  if (const int lengths = checkLengths(userId, password); lengths != 0) return lengths;
  if (!initialized_) return -1;
  const auto answer = runOneShotQuery(endpoint(), log_, options_.timing, userId, password, Purpose::Credit);
  return answer ? answer->credit : -1;
}

int FaxService::ownNumber(const std::string& userId, const std::string& password, char* buffer) {
  if (!buffer || checkLengths(userId, password) != 0 || !initialized_) return -1;
  const auto answer =
      runOneShotQuery(endpoint(), log_, options_.timing, userId, password, Purpose::OwnNumber);
  if (!answer || answer->ownNumber.size() <= 4) return -1;
  std::memset(buffer, 0, kCredentialMax);
  std::memcpy(buffer, answer->ownNumber.data(), std::min(answer->ownNumber.size(), kCredentialMax));
  return 0;
}

int FaxService::start() {
  if (!loginFlag_ || !initialized_) {
    log_.write("You cannot start Zelt Service, Check login, please!");
    log_.write("You must use ChkLoginInfo() function to check login.");
    return -1;
  }
  if (running()) return 0;
  workers_ = std::make_unique<Workers>(paths_, endpoint(), options_.timing, log_);
  Workers& w = *workers_;
  const auto pause = [&] { w.stop.waitFor(options_.timing.tick); };
  const auto runMode = [&w](auto mode) {
    return std::thread([&w, mode]() mutable { runConnection(mode, w.context); });
  };
  if (settings_.recvMode) {
    w.threads.push_back(runMode(ReceiveMode(w.context)));
    pause();
  }
  const int sendConnections = settings_.sendMode ? 1 : 0;
  if (sendConnections != 0) {
    w.threads.push_back(runMode(ReportMode(w.context)));
    pause();
    for (int index = 0; index < sendConnections; ++index) {
      w.sendThreads.push_back(runMode(SendMode(w.context)));
      pause();
    }
  }
  w.threads.emplace_back([&w] { ResultMonitor(w.context).run(); });
  pause();
  w.threads.emplace_back([&w] { SpoolWatcher(w.context).run(); });
  pause();
  return 0;
}

void FaxService::stop() {
  workers_.reset();
  log_.close();
}

}  // namespace ostrel::fax
