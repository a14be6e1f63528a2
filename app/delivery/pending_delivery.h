#pragma once
// The delivery of the scan job while printing, mail, the cloud uploader, the fax
// dialogs and program launch are still being built: every request becomes one
// activity-log line saying what was asked and that it was not carried out. The
// files are left where they were written, since nothing has taken them.
#include "app/scan/job/destination_delivery.h"

namespace ostrel {

class PendingDelivery : public DestinationDelivery {
 public:
  void launchWithFile(const CApplicationSetting& destination, const CButtonSetting& button,
                      const std::string& path) override;
  void launchWithList(const CApplicationSetting& destination, const CButtonSetting& button,
                      const std::string& quotedPaths, int pendingCount) override;
  void upload(const CButtonSetting& button, const std::string& path) override;
  void print(CButtonSetting& button, std::vector<std::string>& files) override;
  void mail(std::vector<std::string>& files) override;
  void fax(std::vector<std::string>& files) override;
};

}  // namespace ostrel
