#pragma once
// The state behind the library's exports: settings, login flag, diagnostic log
// and the running workers. The exports use one instance for the process; tests
// make their own, each with its own folder, server port and time unit.
#include <cstdint>
#include <memory>
#include <string>

#include "faxsvc/diagnostic_log.h"
#include "faxsvc/fax_link.h"
#include "faxsvc/fax_paths.h"
#include "faxsvc/settings.h"
#include "faxsvc/timing.h"

namespace ostrel::fax {

struct ServiceOptions {
  std::string programDirectory;  // empty: the folder of the running executable
  std::uint16_t port = kDefaultServerPort;
  Timing timing;

  // The options of the process instance: the folder from spoolBaseFolder()
  // (which heeds OSTREL_FAX_DIR); OSTREL_FAX_PORT and OSTREL_FAX_TICK_MS let
  // tests of the host program keep to their own server and time unit; unset,
  // the service runs as shipped.
  static ServiceOptions fromEnvironment();
};

class FaxService {
 public:
  FaxService();
  ~FaxService();
  FaxService(const FaxService&) = delete;
  FaxService& operator=(const FaxService&) = delete;

  // InitializeZelt. While the workers run it leaves everything as it is, so
  // they stay joinable by stop().
  int initialize(const ServiceOptions& options);
  int checkLogin(const std::string& userId, const std::string& password);
  int credit(const std::string& userId, const std::string& password);
  // Fills the first 20 bytes of buffer on success.
  int ownNumber(const std::string& userId, const std::string& password, char* buffer);
  int start();
  void stop();

  bool running() const { return workers_ != nullptr; }

 private:
  struct Workers;

  Endpoint endpoint() const;
  // -5 with the message logged when a value is over 20 bytes, else 0.
  int checkLengths(const std::string& userId, const std::string& password);

  ServiceOptions options_;
  bool initialized_ = false;
  bool loginFlag_ = false;  // survives re-initialisation, as a login does
  FaxSettings settings_;
  FaxPaths paths_;
  DiagnosticLog log_;
  std::unique_ptr<Workers> workers_;
};

}  // namespace ostrel::fax
