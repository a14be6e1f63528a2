#pragma once
// A cloud account dialog the user always cancels, counting how often it opened.
#include <optional>
#include <string>

#include "app/core/manager_interfaces.h"

namespace ostrel::testing {

class NoCloudAccount : public CloudAccountDialog {
 public:
  std::optional<std::string> run(CButtonSetting&, int) override {
    ++opened;
    return std::nullopt;
  }
  void requestClose() override {}
  int opened = 0;
};

}  // namespace ostrel::testing
