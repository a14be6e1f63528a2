#include "app/delivery/desktop_delivery.h"

#include "app/delivery/cloud_upload.h"
#include "app/delivery/mail.h"

namespace ostrel {

DesktopDelivery::DesktopDelivery(DesktopDeliveryParts parts)
    : parts_(std::move(parts)), text_(resourceSettingPath(parts_.programFolder)) {}

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

void DesktopDelivery::print(CButtonSetting& button, std::vector<std::string>& files) {
  printFiles(button, files, {parts_.printers, parts_.ui, text_});
}

void DesktopDelivery::mail(std::vector<std::string>& files) {
  mailFiles(files, {parts_.ui, text_, parts_.mailPatience});
}

void DesktopDelivery::fax(std::vector<std::string>& files) { pending_.fax(files); }

}  // namespace ostrel
