#pragma once
// The scan job's delivery on a Linux desktop: destination programs started
// detached, printing through the print system, mail through the mail program,
// the cloud through the uploader, FTP uploads in the background, faxes through
// the fax dialogs. Safe to call from
// any thread: what it asks of the user goes through UserInterface and Printers.
#include <chrono>
#include <functional>
#include <string>

#include "app/delivery/fax/fax_delivery.h"
#include "app/delivery/ftp_delivery.h"
#include "app/delivery/printing.h"
#include "app/delivery/program_launch.h"
#include "app/scan/job/destination_delivery.h"
#include "app/scan/user_interface.h"
#include "app/settings/localized_text.h"

namespace ostrel {

struct DesktopDeliveryParts {
  UserInterface& ui;
  Printers& printers;
  // The program's folder, where the texts file is.
  std::string programFolder;
  WindowTitles windowTitles;
  std::chrono::milliseconds mailPatience = std::chrono::seconds(5);
  // The fax login and send dialogs; without them a fax request is only logged.
  FaxDialogs* faxDialogs = nullptr;
  // Tells the user of a failed upload; called on the upload thread. May be empty.
  std::function<void(std::string)> balloon;
};

class DesktopDelivery : public DestinationDelivery {
 public:
  explicit DesktopDelivery(DesktopDeliveryParts parts);

  void launchWithFile(const CApplicationSetting& destination, const CButtonSetting& button,
                      const std::string& path) override;
  // The job empties its pending list itself, which is all that resetting the
  // pending count comes to.
  void launchWithList(const CApplicationSetting& destination, const CButtonSetting& button,
                      const std::string& quotedPaths, int pendingCount) override;
  void upload(const CButtonSetting& button, const std::string& path) override;
  void ftpUpload(const CButtonSetting& button, const std::string& path) override;
  void print(CButtonSetting& button, std::vector<std::string>& files) override;
  void mail(std::vector<std::string>& files) override;
  void fax(std::vector<std::string>& files) override;

  // True once every file handed to ftpUpload so far is uploaded or given up.
  bool waitForUploads(std::chrono::milliseconds timeout) { return ftp_.waitUntilIdle(timeout); }

 private:
  DesktopDeliveryParts parts_;
  LocalizedText text_;
  FtpDelivery ftp_;  // after the texts it uses; ends its uploads first
};

}  // namespace ostrel
