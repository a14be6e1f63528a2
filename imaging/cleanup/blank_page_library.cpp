#include "imaging/cleanup/blank_page_library.h"

#include "imaging/cleanup/blank_page_detector.h"

namespace ostrel {

namespace {

bool validBlock(const BlankPageParameters& block) {
  if (block.size != sizeof(BlankPageParameters)) return false;
  if (block.width <= 0 || block.height <= 0) return false;
  const int expectedKind = block.bitDepth == 1 ? 1 : block.bitDepth == 8 ? 2 : block.bitDepth == 24 ? 4 : 0;
  if (expectedKind == 0 || block.imageKind != expectedKind) return false;
  if (block.samplesPerPixel != (block.bitDepth == 24 ? 3 : 1)) return false;
  const long long needed = (static_cast<long long>(block.width) * block.bitDepth + 7) / 8;
  return block.rowBytes >= needed;
}

}  // namespace

int BlankPageLibrary::InitializeLib() {
  initialised_ = true;
  return 0;
}

int BlankPageLibrary::TerminateLib() {
  initialised_ = false;
  return 0;
}

int BlankPageLibrary::BlankPageDetection(const BlankPageParameters* in, const std::uint8_t* pixels, int,
                                         BlankPageParameters* out, int, int* status) const {
  if (!initialised_) return kNotInitialised;
  if (!in || !pixels || !status || !validBlock(*in)) return kBadParameters;
  PageRaster raster;
  raster.pixels = pixels;
  raster.width = in->width;
  raster.height = in->height;
  raster.rowBytes = static_cast<std::size_t>(in->rowBytes);
  raster.bitsPerPixel = in->bitDepth;
  raster.blackIsZero = in->whiteIsZero == 0;
  raster.xDpi = in->xResolution;
  raster.yDpi = in->yResolution;
  const BlankPageVerdict verdict =
      detectBlankPage(raster, {in->sensitivity, in->whiteBackground != 0});
  if (out) {
    out->writingMarks = verdict.writing;
    out->setAsideMarks = verdict.setAside;
  }
  *status = verdict.blank ? kBlankPageStatus : kContentPageStatus;
  return 0;
}

}  // namespace ostrel
