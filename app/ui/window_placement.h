#pragma once
// Where the program's windows go on the desktop.
class QWidget;

namespace ostrel {

// Centres a top-level window on the work area of its screen.
void centerOnDesktop(QWidget& window);
// Puts a top-level window, frame included, into the bottom-right corner of the
// work area.
void placeBottomRight(QWidget& window);

}  // namespace ostrel
