#include "tools/pagegen/page_generator.h"

#include <cmath>

#include "imaging/cleanup/depth_conversion.h"
#include "tools/pagegen/barcode_drawing.h"
#include "tools/pagegen/canvas.h"
#include "tools/pagegen/defects.h"
#include "tools/pagegen/layouts.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

namespace {

// Salts that give each part of a page its own random stream.
enum Part : std::uint64_t { kContent = 1, kBleed, kDust, kBorder, kHoles, kNoise, kSalt };

}  // namespace

PageSpec letterPage(int dpi, int bitsPerPixel, Content content, std::uint64_t seed) {
  PageSpec pageSpec;
  pageSpec.width = static_cast<int>(std::lround(8.5 * dpi));
  pageSpec.height = 11 * dpi;
  pageSpec.dpi = dpi;
  pageSpec.bitsPerPixel = bitsPerPixel;
  pageSpec.content = content;
  pageSpec.seed = seed;
  return pageSpec;
}

std::optional<Dib> generatePage(const PageSpec& pageSpec) {
  if (pageSpec.bitsPerPixel != 1 && pageSpec.bitsPerPixel != 8 && pageSpec.bitsPerPixel != 24) return std::nullopt;
  if (pageSpec.dpi <= 0) return std::nullopt;
  const int dotsPerMetre = static_cast<int>(std::lround(pageSpec.dpi / 0.0254));
  auto page = Dib::create(pageSpec.width, pageSpec.height, 24, dotsPerMetre, dotsPerMetre);
  if (!page) return std::nullopt;

  const Rgb paper{pageSpec.paperRed, pageSpec.paperGreen, pageSpec.paperBlue};
  const Backing backing = pageSpec.blackBacking ? Backing{{18, 18, 20}, true} : Backing{{236, 236, 234}, false};
  const Random random(pageSpec.seed);
  // A sheet narrower than the frame is drawn on its own and then placed in it.
  Random borderPart = random.fork(kBorder);
  const bool narrow = pageSpec.defects.border == Border::Wide;
  const SheetArea area = narrow ? narrowSheet(borderPart, pageSpec.width, pageSpec.height, pageSpec.dpi)
                                : SheetArea{0, 0, pageSpec.width, pageSpec.height};
  std::optional<Dib> sheet;
  if (narrow) {
    sheet = Dib::create(area.width, area.height, 24, dotsPerMetre, dotsPerMetre);
    if (!sheet) return std::nullopt;
  }
  Canvas canvas(narrow ? *sheet : *page, paper);

  if (pageSpec.defects.bleedThrough) {
    Random part = random.fork(kBleed);
    drawBleedThrough(canvas, part, pageSpec.dpi, pageSpec.defects.heavyBleed);
  }
  // The border is chosen first so that the content keeps clear of it: a page
  // meant to carry content must still show it once the border is drawn.
  const BorderPlan border = planBorder(borderPart, narrow ? Border::None : pageSpec.defects.border, pageSpec.dpi);
  Random content = random.fork(kContent);
  drawContent(canvas, content, pageSpec.content, pageSpec.dpi, reachOf(border));
  for (const Barcode& barcode : pageSpec.barcodes) {
    if (!drawBarcode(canvas, barcode, pageSpec.dpi, paper)) return std::nullopt;
  }
  if (pageSpec.defects.dust > 0) {
    Random part = random.fork(kDust);
    drawDust(canvas, part, pageSpec.defects.dust, pageSpec.dpi);
  }
  if (pageSpec.defects.salt > 0) {
    Random part = random.fork(kSalt);
    drawSalt(canvas, part, pageSpec.defects.salt, pageSpec.dpi);
  }
  if (pageSpec.defects.punchHoles) {
    Random part = random.fork(kHoles);
    drawPunchHoles(canvas, part, backing, pageSpec.dpi);
  }
  if (narrow) {
    Canvas frame(*page, backing.colour);
    frame.place(*sheet, area.x, area.y);
    drawSheetEdges(frame, area, backing, pageSpec.dpi);
  } else {
    drawBorder(canvas, border, backing, pageSpec.dpi);
  }
  if (pageSpec.defects.noise > 0) {
    Random part = random.fork(kNoise);
    addNoise(*page, part, pageSpec.defects.noise);
  }
  if (pageSpec.bitsPerPixel == 24) return page;
  return pageSpec.bitsPerPixel == 8 ? ToGrey8(*page) : ToBlackWhite(*page, pageSpec.threshold);
}

}  // namespace ostrel::pagegen
