#include "app/core/pending_parts.h"

#include "platform/activity_log.h"

namespace ostrel {

void PendingConfigurationWindow::run(int button) {
  Log("The configuration window is not available yet (button " + std::to_string(button) + ").");
}

std::optional<std::string> PendingCloudAccountDialog::run(CButtonSetting&, int number) {
  Log("The cloud account dialog is not available yet; button " + std::to_string(number) +
      " is not scanned.");
  return std::nullopt;
}

}  // namespace ostrel
