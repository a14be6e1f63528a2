#pragma once
// The icon of a "MAIL" destination: the default mail program's own (its desktop
// entry's theme icon or icon file), else the generic program icon.
#include <QIcon>

namespace ostrel {

// `generic` is what to show when the desktop names no mail program with an icon.
QIcon mailProgramIcon(const QIcon& generic);

}  // namespace ostrel
