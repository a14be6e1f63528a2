#pragma once
// Stand-ins for the parts of the manager that are still being built elsewhere:
// each one logs what it was asked and does nothing else. None of them pretends
// to have done what it was asked.
#include "app/core/manager_interfaces.h"

namespace ostrel {

class PendingInstallationTasks : public InstallationTasks {
 public:
  void startAllManagers() override;
  void startAllConfigurations() override;
  void registerAfterInstall(std::string_view productCode) override;
  void cleanUpBeforeRemoval() override;
};

}  // namespace ostrel
