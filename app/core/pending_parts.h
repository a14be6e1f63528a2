#pragma once
// Stand-ins for the parts of the manager that are still being built elsewhere:
// each one logs what it was asked and does nothing else. None of them pretends
// to have done what it was asked.
#include "app/core/manager_interfaces.h"

namespace ostrel {

class PendingConfigurationWindow : public ConfigurationWindow {
 public:
  void run(int button) override;
  void requestClose() override {}
};

class PendingCloudAccountDialog : public CloudAccountDialog {
 public:
  std::optional<std::string> run(CButtonSetting& button, int number) override;
  void requestClose() override {}
};

class PendingFaxService : public FaxService {
 public:
  bool started() const override { return false; }
  void stop() override {}
};

}  // namespace ostrel
