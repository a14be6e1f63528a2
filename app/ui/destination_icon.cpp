#include "app/ui/destination_icon.h"

#include <QFileInfo>

#include "app/core/button_appearance.h"
#include "app/ui/artwork.h"
#include "app/ui/mail_program_icon.h"

namespace ostrel {

namespace {

QIcon pictureIcon(artwork::Picture picture, int size) {
  QIcon icon;
  for (const int side : {size, size * 2}) icon.addPixmap(QPixmap::fromImage(artwork::picture(picture, side)));
  return icon;
}

}  // namespace

QIcon destinationIconOf(const CButtonSetting* button, int size) {
  if (!button) return pictureIcon(artwork::Picture::NoDestination, size);
  switch (destinationIcon(*button)) {
    case DestinationIcon::None:
      return pictureIcon(artwork::Picture::NoDestination, size);
    case DestinationIcon::Printer:
      return pictureIcon(artwork::Picture::Printer, size);
    case DestinationIcon::Mail:
      return mailProgramIcon(pictureIcon(artwork::Picture::Program, size));
    case DestinationIcon::Cloud:
      return pictureIcon(artwork::Picture::Cloud, size);
    case DestinationIcon::Fax:
      return pictureIcon(artwork::Picture::Fax, size);
    case DestinationIcon::Program: {
      const std::string& path = button->applicationSetting->path;
      if (path.empty()) return pictureIcon(artwork::Picture::Storage, size);
      // Desktop icon themes name a program's icon after its executable.
      const QString name = QFileInfo(QString::fromStdString(path)).completeBaseName();
      return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : pictureIcon(artwork::Picture::Program, size);
    }
  }
  return pictureIcon(artwork::Picture::Program, size);
}

}  // namespace ostrel
