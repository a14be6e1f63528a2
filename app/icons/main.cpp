// ostrel-icons: writes the program icon as PNG files in the layout of the
// hicolor icon theme, "<folder>/<N>x<N>/apps/ostrel.png", for installation. It
// draws the same vector art as the running program's icon.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <cstdio>

#include "app/ui/artwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: ostrel-icons FOLDER\n", stderr);
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QIcon icon = ostrel::artwork::programIcon();
  const QString folder = QString::fromLocal8Bit(argv[1]);
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    const QString file = apps + QStringLiteral("/ostrel.png");
    const QPixmap pixmap = icon.pixmap(QSize(size, size));
    if (!QDir().mkpath(apps) || pixmap.size() != QSize(size, size) || !pixmap.save(file, "PNG")) {
      std::fprintf(stderr, "ostrel-icons: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
