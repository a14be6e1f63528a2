#pragma once
// Baseline JPEG encoding of a page with libjpeg-turbo, shared by the JPEG file
// writer and the PDF writer's DCT pages. 1-bit pages are not JPEG material and
// are refused; grey pages become one-component JPEGs, colour pages YCbCr 4:2:0.
#include <cstdint>
#include <vector>

#include "imaging/dib.h"
#include "imaging/writers/write_result.h"

namespace ostrel::writers {

// Quality 1 (smallest) to 100 (best); values outside are clamped. The JFIF
// header carries the page's resolution in whole dots per inch, truncated.
// `out` is replaced by the encoded file; its capacity is kept, so a caller that
// reuses it across pages allocates once.
WriteResult encodeJpeg(const Dib& page, int quality, std::vector<std::uint8_t>& out);

}  // namespace ostrel::writers
