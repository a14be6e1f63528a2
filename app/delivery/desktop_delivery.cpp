#include "app/delivery/desktop_delivery.h"

#include "app/delivery/cloud_upload.h"
#include "app/delivery/mail.h"
#include "platform/activity_log.h"

namespace ostrel {

DesktopDelivery::DesktopDelivery(DesktopDeliveryParts parts)
    : parts_(std::move(parts)),
      text_(resourceSettingPath(parts_.programFolder)),
      ftp_({text_, parts_.balloon, FtpTrust::fromEnvironment()}) {}

void DesktopDelivery::launchWithFile(const CApplicationSetting& destination, const CButtonSetting& button,
                                     const std::string& path) {
  launchProgram(destination, button, singleFileParameters(destination, path), parts_.windowTitles);
}

void DesktopDelivery::launchWithList(const CApplicationSetting& destination, const CButtonSetting& button,
                                     const std::string& quotedPaths, int) {
  launchProgram(destination, button, fileListParameters(destination, quotedPaths), parts_.windowTitles);
}

void DesktopDelivery::upload(const CButtonSetting& button, const std::string& path) {
  startUpload(parts_.programFolder, button, path);
}

void DesktopDelivery::ftpUpload(const CButtonSetting& button, const std::string& path) {
  ftp_.upload(button, path);
}

void DesktopDelivery::print(CButtonSetting& button, std::vector<std::string>& files) {
  printFiles(button, files, {parts_.printers, parts_.ui, text_});
}

void DesktopDelivery::mail(std::vector<std::string>& files) {
  mailFiles(files, {parts_.ui, text_, parts_.mailPatience});
}

void DesktopDelivery::fax(std::vector<std::string>& files) {
  if (parts_.faxDialogs) {
    faxFiles(files, *parts_.faxDialogs);
    return;
  }
  Log("Fax request not carried out: this program has no fax dialogs; " + std::to_string(files.size()) +
      " file(s) stay where they are.");
  files.clear();
}

}  // namespace ostrel
