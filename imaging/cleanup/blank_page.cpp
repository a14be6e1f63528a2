#include "imaging/cleanup/blank_page.h"

#include "imaging/cleanup/blank_page_library.h"

namespace ostrel {

bool IsBlankPage(const Dib& page, const BlankTest& test) {
  BlankPageParameters block;
  block.bitDepth = page.bitsPerPixel();
  block.imageKind = page.bitsPerPixel() == 1 ? 1 : page.bitsPerPixel() == 8 ? 2 : 4;
  block.samplesPerPixel = page.bitsPerPixel() == 24 ? 3 : 1;
  block.width = page.width();
  block.height = page.height();
  block.rowBytes = static_cast<int>(page.stride());
  // The page's own resolution, so sizes in millimetres stay true when the
  // scanner delivered another one than asked; the scan's when it has none.
  const auto resolution = [&](int own) { return own > 0 ? own : test.scanResolution; };
  block.xResolution = resolution(page.xDpi());
  block.yResolution = resolution(page.yDpi());
  block.sensitivity = test.sensitivity;
  block.whiteBackground = test.whiteBackground ? 0xFFFFFFFFu : 0u;
  block.whiteIsZero = page.bitsPerPixel() == 1 && !page.zeroIsBlack() ? 0xFFFFFFFFu : 0u;

  BlankPageLibrary library;
  int status = 0;
  library.InitializeLib();
  const int result = library.BlankPageDetection(&block, page.pixels(), 0, &block, 0, &status);
  library.TerminateLib();
  return result == 0 && status == kBlankPageStatus;
}

}  // namespace ostrel
