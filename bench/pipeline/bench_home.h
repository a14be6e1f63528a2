#pragma once
// The benchmarks' scan job: a temporary home for its files and log, a user
// interface that nobody answers, and a storage button whose profile each
// benchmark sets up.
#include <string>
#include <vector>

#include "app/scan/job/destination_delivery.h"
#include "app/scan/user_interface.h"

namespace ostrel::bench {

// Points APPDATA, HOME and OSTREL_REGISTRY into a fresh temporary folder, once
// per process, and returns it.
const std::string& temporaryHome();

class UnattendedUserInterface : public UserInterface {
 public:
  void showMessage(std::string_view text, MessageKind kind) override;
  std::optional<std::string> browseForFolder(std::string_view, std::string_view) override { return std::nullopt; }
  std::optional<std::string> askSaveName(const SaveNameRequest&) override { return std::nullopt; }
};

// The benchmarks' buttons store their files: nothing is handed on.
class StorageOnlyDelivery : public DestinationDelivery {
 public:
  void launchWithFile(const CApplicationSetting&, const CButtonSetting&, const std::string&) override {}
  void launchWithList(const CApplicationSetting&, const CButtonSetting&, const std::string&, int) override {}
  void upload(const CButtonSetting&, const std::string&) override {}
  void ftpUpload(const CButtonSetting&, const std::string&) override {}
  void print(CButtonSetting&, std::vector<std::string>& files) override { files.clear(); }
  void mail(std::vector<std::string>& files) override { files.clear(); }
  void fax(std::vector<std::string>& files) override { files.clear(); }
};

}  // namespace ostrel::bench
