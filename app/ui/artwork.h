#pragma once
// The program's own pictures, drawn as vector art so they stay sharp at any
// size: the program icon, the destination icons of the panel's buttons, the
// panel's bottom strip and its arrows.
#include <QColor>
#include <QIcon>
#include <QImage>

namespace ostrel::artwork {

enum class Picture {
  NoDestination,  // a button still to be set up
  Printer,
  Program,  // a program without an icon of its own, and mail without a mail program
  Storage,
  Cloud,
  Fax,
};

// The program icon in the usual sizes.
QIcon programIcon();
// The program icon while a job runs: a sheet coming out of the scanner and a
// badge with the pages scanned so far.
QIcon progressIcon(int pages);
// A destination picture, square, with transparent surroundings.
QImage picture(Picture which, int size);
// The strip under the button list, 150 x 50, on the given button-face colour
// so the arrow buttons on it blend in.
QImage panelStrip(const QColor& face);
// The scroll arrows, 19 x 16, straight (not premultiplied) alpha.
QImage upArrow();
QImage downArrow();

}  // namespace ostrel::artwork
