#pragma once
// How a button of the panel presents its destination: which icon it shows and
// which tooltip it carries.
#include <string>

#include "app/settings/profile_records.h"

namespace ostrel {

enum class DestinationIcon {
  None,  // no destination: the configuration is still to be done
  Printer,
  Mail,  // the mail program's icon when there is one
  Cloud,
  Fax,
  Program,  // the destination program's own icon when there is one
};

DestinationIcon destinationIcon(const CButtonSetting& button);

// The tooltip of a button's title; empty for none.
std::string buttonTooltip(const CButtonSetting& button);

}  // namespace ostrel
