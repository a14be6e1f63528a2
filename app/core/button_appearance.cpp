#include "app/core/button_appearance.h"

namespace ostrel {

DestinationIcon destinationIcon(const CButtonSetting& button) {
  if (!button.applicationSetting) return DestinationIcon::None;
  const std::string& path = button.applicationSetting->path;
  if (path == destination::kPrint) return DestinationIcon::Printer;
  if (path == destination::kMail) return DestinationIcon::Mail;
  if (path == destination::kGoogle) return DestinationIcon::Cloud;
  if (path == destination::kFax) return DestinationIcon::Fax;
  return DestinationIcon::Program;
}

std::string buttonTooltip(const CButtonSetting& button) {
  if (!button.applicationSetting ||
      button.applicationSetting->path.find("YouSendIt.exe") == std::string::npos) {
    return {};
  }
  return "YouSendIt makes sending large files up to 2GB super-fast and easy. Just click on the "
         "YouSendIt button to scan your documents and send it through YouSendIt. Done!";
}

}  // namespace ostrel
