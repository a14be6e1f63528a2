#pragma once
// What the wizard's preview window shows: the page settings turned into the
// preview processing's parameters, the scanned preview brought down to the size
// it is drawn at (so a slider drag redraws a few hundred thousand pixels, not a
// whole page), and the red outline of the scan area.
#include <optional>

#include "imaging/cleanup/preview_processing.h"
#include "imaging/dib.h"

namespace ostrel::wizard {

// The values the pages hand the preview. Brightness and contrast are the
// page's values + 100; mode is the profile's (3 shows as colour); dropout is
// the profile's Dropout code (0 off, 1 none, 2 red, 3 green, 4 blue, 5 custom).
struct PreviewValues {
  int brightness = 100;
  int contrast = 100;
  int scanMode = 2;
  int threshold = 128;
  int dropout = 0;
  int dropRed = 255, dropGreen = 0, dropBlue = 0;
  // Scan area in 1/300 inch.
  int areaLeft = 0, areaTop = 0, areaWidth = 1000, areaHeight = 2000;
  bool operator==(const PreviewValues&) const = default;
};

// How far a dropout colour reaches: wide enough for a printed form's tints.
inline constexpr int kPreviewDropoutRange = 24;

PreviewSettings previewSettings(const PreviewValues& values);

// A 24-bit copy of the preview no larger than maxWidth x maxHeight, each pixel
// the mean of the pixels it covers; the proportions and the resolution (scaled)
// are kept. An image that already fits is only converted. nullopt when memory
// runs out or a bound is below 1.
std::optional<Dib> shrinkForPreview(const Dib& preview, int maxWidth, int maxHeight);

// The scale at which a preview is drawn in a window: it fills the width or
// 14 inches of page fill the height, whichever is smaller. dpi is the preview's
// resolution (100 for a preview scan).
double previewScale(int imageWidth, int dpi, int clientWidth, int clientHeight);

// The scan area's outline in window pixels (right and bottom inclusive), and
// the area's left and top after an outline pushed back inside the window.
struct AreaOutline {
  int left = 0, top = 0, right = 0, bottom = 0;
  int areaLeft = 0, areaTop = 0;
};
// The area's size is first limited to the scanner's largest width and length.
// pixelsPerUnit: window pixels per 1/300 inch, the scale the preview image is
// drawn at, so the outline lies on the page it frames; without an image, the
// window's height holds the scanner's largest length, at most 14 inches.
AreaOutline areaOutline(const PreviewValues& values, int maxWidth, int maxLength, double pixelsPerUnit,
                        int clientWidth, int clientHeight);
double outlineScaleWithoutImage(int maxLength, int clientHeight);

}  // namespace ostrel::wizard
