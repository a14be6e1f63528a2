// Feeds arbitrary packed bitmaps through every clean-up operation, the blank
// test and the barcode reader, checking the shapes the operations promise.
// The first eight bytes choose the settings; the rest is the packed bitmap.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "app/scan/page_steps/page_steps.h"
#include "imaging/barcode/barcode_reader.h"
#include "imaging/cleanup/blank_page.h"
#include "imaging/cleanup/depth_conversion.h"
#include "imaging/cleanup/edge_cleanup.h"
#include "imaging/cleanup/preview_processing.h"
#include "imaging/cleanup/rotation.h"
#include "imaging/cleanup/stitching.h"

namespace {

using namespace ostrel;

void expect(bool condition) {
  if (!condition) std::abort();
}

void expectTurned(const std::optional<Dib>& turned, const Dib& page, bool quarter) {
  expect(turned.has_value());
  expect(turned->bitsPerPixel() == page.bitsPerPixel());
  expect(turned->width() == (quarter ? page.height() : page.width()));
  expect(turned->height() == (quarter ? page.width() : page.height()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 8) return 0;
  auto page = Dib::fromPacked(std::span(data + 8, size - 8));
  if (!page) return 0;

  CScanSetting profile;
  profile.edgeCleanUp = 1;
  profile.edgeCleanUpSize = static_cast<std::int8_t>(data[0]);  // negative sizes too
  profile.edgeCleanUpColor = data[1] & 1;
  profile.stitch = data[1] >> 1;
  profile.pageSensitivity = data[2] - 20;  // a little outside 0..100 at both ends
  profile.backgroundColor = data[3] & 1;
  profile.resolution = data[4] * 4 - 100;  // unknown and odd resolutions too
  profile.threshold = data[5];

  expectTurned(RotateLeft(*page), *page, true);
  expectTurned(RotateRight(*page), *page, true);
  expectTurned(Rotate180(*page), *page, false);
  expectTurned(CleanEdges(*page, profile), *page, false);

  const auto grey = ToGrey8(*page);
  const auto colour = ToColour24(*page);
  const auto bits = ToBlackWhite(*page, profile.threshold);
  expect(grey && grey->bitsPerPixel() == 8 && colour && colour->bitsPerPixel() == 24);
  expect(bits && bits->bitsPerPixel() == 1 && bits->width() == page->width());

  // Joined with a page of another depth, one above the other or side by side.
  if (const auto joined = StitchPages(*page, *grey, profile)) {
    expect(joined->bitsPerPixel() == std::max(page->bitsPerPixel(), 8));
    expect(joined->width() >= page->width() && joined->height() >= page->height());
  }

  (void)IsBlankPage(*page, profile);

  PreviewSettings preview;
  preview.mode = static_cast<PreviewMode>(data[6] % 3);
  preview.brightness = data[6];
  preview.contrast = data[7];
  preview.threshold = data[5];
  preview.dropout = DropoutColour{data[0], data[1], data[2], data[3]};
  const auto shown = ProcessPreview(*page, preview);
  expect(shown && shown->bitsPerPixel() == 24);

  // The reader is slow on large pages; small ones exercise it just as well.
  if (page->width() <= 512 && page->height() <= 512) {
      const BarcodeReading reading = ReadBarcodes(*page, profile.threshold);
    expect(reading.count >= 0);  // small pages never fail
    expect(reading.count > 0 || reading.text.empty());
  }
  return 0;
}
