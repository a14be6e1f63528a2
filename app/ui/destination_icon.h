#pragma once
// The icon of a button's destination, as the panel and the configuration
// window show it: our own pictures for no destination, printing, storage,
// cloud and fax, the mail program's icon for mail, and a program's theme icon
// (named after its executable) where the desktop has one.
#include <QIcon>

#include "app/settings/profile_records.h"

namespace ostrel {

// button may be nullptr (shown as no destination); size is the icon's side in
// device-independent pixels, drawn sharp at twice that as well.
QIcon destinationIconOf(const CButtonSetting* button, int size);

}  // namespace ostrel
