#pragma once
// Advanced mode: the configuration window's way into the four-page wizard.
class QWidget;

namespace ostrel {

struct ConfigContext;

enum class AdvancedOutcome {
  finished,  // Finish on the last page: the configuration is done
  back,      // Back on the first page: the configuration window shows again
  closed,    // a page's close box: the configuration ends with Cancel
};

// Runs the wizard for button; parent is the hidden configuration window.
AdvancedOutcome runAdvancedMode(QWidget* parent, ConfigContext& context, int button);

}  // namespace ostrel
