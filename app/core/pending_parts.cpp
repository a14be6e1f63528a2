#include "app/core/pending_parts.h"

#include "platform/activity_log.h"

namespace ostrel {

std::optional<std::string> PendingCloudAccountDialog::run(CButtonSetting&, int number) {
  Log("The cloud account dialog is not available yet; button " + std::to_string(number) +
      " is not scanned.");
  return std::nullopt;
}

void PendingInstallationTasks::startAllManagers() {
  Log("Starting a manager for every scanner is not available yet.");
}

void PendingInstallationTasks::startAllConfigurations() {
  Log("Starting the configuration of every scanner is not available yet.");
}

void PendingInstallationTasks::registerAfterInstall(std::string_view productCode) {
  Log("Registration after installation is not available yet (product code \"" +
      std::string(productCode) + "\").");
}

void PendingInstallationTasks::cleanUpBeforeRemoval() {
  Log("Clean-up before removal is not available yet.");
}

}  // namespace ostrel
