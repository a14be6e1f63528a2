#include "app/ui/config/advanced_mode.h"

#include "app/ui/config/config_context.h"
#include "app/ui/config/config_dialog.h"
#include "platform/activity_log.h"

namespace ostrel {

AdvancedOutcome runAdvancedMode(QWidget* parent, ConfigContext& context, int button) {
  Log("Advanced mode was chosen for button " + std::to_string(button) + "; this build has no wizard yet.");
  showWarning(parent, QString::fromStdString(context.texts("Config", "Title", "Ostrel Configuration")),
              QStringLiteral("Advanced mode is not available in this build yet. Please use easy mode."));
  return AdvancedOutcome::back;
}

}  // namespace ostrel
