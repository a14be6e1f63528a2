#pragma once
// Where the program's windows go on the desktop.
class QWidget;

namespace ostrel {

// Centres a top-level window on the work area of its screen.
void centerOnDesktop(QWidget& window);
// Puts a top-level window, frame included, into the bottom-right corner of the
// work area, or slot window widths to the left of it: windows of other slots
// stand beside it. Slots past the left edge go on in a row above.
void placeBottomRight(QWidget& window, int slot = 0);

}  // namespace ostrel
