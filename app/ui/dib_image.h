#pragma once
// A page image as a QImage, for painting it.
#include <QImage>

#include "imaging/dib.h"

namespace ostrel {

// A copy in the nearest QImage format: 1 bit with its two colours, 8 bits with
// its colour table, 24 bits as is.
QImage toQImage(const Dib& page);

}  // namespace ostrel
