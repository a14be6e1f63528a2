#pragma once
// The fax dialogs as the scan job's delivery asks for them: CFaxLoginDlg, and
// from it CFaxSendDlg, shown modally on the window thread while the job's
// thread waits; once the manager is ending the job waits no more.
#include <stop_token>
#include <string>

#include "app/delivery/fax/fax_delivery.h"
#include "app/delivery/fax/zelt_fax_service.h"

namespace ostrel {

class QtFaxDialogs : public FaxDialogs {
 public:
  // programFolder: where the texts file is.
  QtFaxDialogs(ZeltFaxService& service, std::string programFolder, std::stop_token stop = {});

  void run(const std::vector<std::string>& files) override;

 private:
  ZeltFaxService& service_;
  std::string programFolder_;
  std::stop_token stop_;
};

// Opens a member page in the browser with xdg-open and removes the file a
// minute later, when the browser has long read it.
void openMemberPage(const std::string& pagePath);

}  // namespace ostrel
