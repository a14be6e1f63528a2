#pragma once
// The fax library as the manager and the fax dialogs use it: one login, whose
// outcome the login dialog shows, starts the library's workers for the rest of
// the run; the manager stops them at exit.
#include <atomic>
#include <string>

#include "app/core/manager_interfaces.h"

namespace ostrel {

struct FaxLoginOutcome {
  bool loggedIn = false;
  bool workersStarted = false;
  std::string message;    // for the user; empty when all went well
  std::string credit;     // as shown: "1,234,567"
  std::string ownNumber;
};

class ZeltFaxService : public FaxService {
 public:
  ZeltFaxService() = default;
  ZeltFaxService(const ZeltFaxService&) = delete;
  ZeltFaxService& operator=(const ZeltFaxService&) = delete;

  // The login button's steps: initialize, check the login, ask the credit and
  // own number, start the workers. Blocks for seconds (network, the library's
  // start pauses): call it away from the window thread.
  FaxLoginOutcome logIn(const std::string& userId, const std::string& password);

  bool started() const override { return started_; }
  void stop() override;

 private:
  std::atomic<bool> started_{false};
};

}  // namespace ostrel
