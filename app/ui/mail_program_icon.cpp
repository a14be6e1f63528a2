#include "app/ui/mail_program_icon.h"

#include <QFileInfo>

#include "app/delivery/mail.h"

namespace ostrel {

QIcon mailProgramIcon(const QIcon& generic) {
  const QString icon = QString::fromStdString(defaultMailProgramIcon());
  if (icon.isEmpty()) return generic;
  if (QFileInfo(icon).isAbsolute()) return QFileInfo::exists(icon) ? QIcon(icon) : generic;
  return QIcon::hasThemeIcon(icon) ? QIcon::fromTheme(icon) : generic;
}

}  // namespace ostrel
