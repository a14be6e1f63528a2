#include "app/ui/dib_image.h"

#include <algorithm>
#include <cstring>

namespace ostrel {

QImage toQImage(const Dib& page) {
  const int bits = page.bitsPerPixel();
  const QImage::Format format = bits == 1   ? QImage::Format_Mono
                                : bits == 8 ? QImage::Format_Indexed8
                                            : QImage::Format_BGR888;
  QImage image(page.width(), page.height(), format);
  if (image.isNull()) return image;
  if (bits <= 8) {
    QList<QRgb> colours;
    for (int i = 0; i < page.paletteSize(); ++i) {
      const RgbQuad entry = page.paletteEntry(i);
      colours.push_back(qRgb(entry.red, entry.green, entry.blue));
    }
    image.setColorTable(colours);
  }
  const std::size_t rowBytes = std::min<std::size_t>(page.stride(), static_cast<std::size_t>(image.bytesPerLine()));
  for (int y = 0; y < page.height(); ++y) std::memcpy(image.scanLine(y), page.row(y), rowBytes);
  image.setDotsPerMeterX(page.xDotsPerMetre());
  image.setDotsPerMeterY(page.yDotsPerMetre());
  return image;
}

}  // namespace ostrel
