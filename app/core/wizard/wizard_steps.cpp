#include "app/core/wizard/wizard_steps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/activity_log.h"
#include "platform/environment.h"

namespace ostrel::wizard {

std::optional<WizardEnd> WizardSteps::leave(PageExit exit) {
  switch (exit) {
    case PageExit::Closed:
      return WizardEnd::Closed;
    case PageExit::Back:
      if (page_ == 0) return WizardEnd::BackToConfiguration;
      --page_;
      return std::nullopt;
    case PageExit::Next:
      if (page_ == kPageCount - 1) return WizardEnd::Finished;
      ++page_;
      return std::nullopt;
  }
  return WizardEnd::Closed;
}

std::string previewFilePath() { return platform::appDataFolder() + "/Ostrel/preview.bmp"; }

void deletePreviewFile() {
  const std::string path = previewFilePath();
  if (std::remove(path.c_str()) != 0 && errno != ENOENT) {
    Log("The preview file " + path + " could not be removed: " + std::strerror(errno));
  }
}

}  // namespace ostrel::wizard
