#include "app/delivery/pending_delivery.h"

#include "platform/activity_log.h"

namespace ostrel {

namespace {

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Logs the request for a list of files and empties the list.
void logListRequest(const char* what, std::vector<std::string>& files) {
  std::string line = std::string(what) + " request not carried out (not built yet); " +
                     std::to_string(files.size()) + " file(s) stay where they are:";
  for (const std::string& file : files) line += " " + quoted(file);
  Log(line);
  files.clear();
}

}  // namespace

void PendingDelivery::launchWithFile(const CApplicationSetting& destination, const CButtonSetting&,
                                     const std::string& path) {
  Log("Launch request not carried out (program launch is not built yet): " + quoted(destination.path) +
      " with " + quoted(path));
}

void PendingDelivery::launchWithList(const CApplicationSetting& destination, const CButtonSetting&,
                                     const std::string& quotedPaths, int pendingCount) {
  Log("Launch request not carried out (program launch is not built yet): " + quoted(destination.path) +
      " once with " + std::to_string(pendingCount - 1) + " file(s): " + quotedPaths);
}

void PendingDelivery::upload(const CButtonSetting& button, const std::string& path) {
  Log("Upload request not carried out (the cloud uploader is not built yet): " + quoted(path) +
      " for account " + quoted(button.account));
}

void PendingDelivery::print(CButtonSetting&, std::vector<std::string>& files) {
  logListRequest("Print", files);
}

void PendingDelivery::mail(std::vector<std::string>& files) { logListRequest("Mail", files); }

void PendingDelivery::fax(std::vector<std::string>& files) { logListRequest("Fax", files); }

}  // namespace ostrel
