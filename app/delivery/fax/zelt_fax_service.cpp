#include "app/delivery/fax/zelt_fax_service.h"

#include <cstring>

#include "app/delivery/fax/fax_texts.h"
#include "faxsvc/zeltsvc.h"
#include "platform/activity_log.h"

namespace ostrel {

FaxLoginOutcome ZeltFaxService::logIn(const std::string& userId, const std::string& password) {
  FaxLoginOutcome outcome;
  InitializeZelt();
  if (ChkZeltLogin(userId.c_str(), password.c_str()) < 0) {
    outcome.message = "Checking login info was failed.";
    Log("Fax login refused for \"" + userId + "\".");
    return outcome;
  }
  outcome.loggedIn = true;
  outcome.credit = creditText(GetCreditEx(userId.c_str(), password.c_str()));
  char number[21] = {};
  if (GetMyFaxNo(userId.c_str(), password.c_str(), number) == 0) outcome.ownNumber = number;
  if (ZeltServiceStart() < 0) {
    outcome.message = "Starting ZeltService failed.";
    Log("The fax service's workers could not be started.");
    return outcome;
  }
  outcome.workersStarted = true;
  started_ = true;
  Log("Fax login as \"" + userId + "\"; the fax service runs.");
  return outcome;
}

void ZeltFaxService::stop() {
  ZeltServiceStop();
  started_ = false;
}

}  // namespace ostrel
