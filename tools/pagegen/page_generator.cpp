#include "tools/pagegen/page_generator.h"

#include <cmath>

#include "app/output/cleanup/depth_conversion.h"
#include "tools/pagegen/barcode_drawing.h"
#include "tools/pagegen/canvas.h"
#include "tools/pagegen/defects.h"
#include "tools/pagegen/layouts.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

namespace {

// Salts that give each part of a page its own random stream.
enum Part : std::uint64_t { kContent = 1, kBleed, kDust, kBorder, kHoles, kNoise };

}  // namespace

PageSpec letterPage(int dpi, int bitsPerPixel, Content content, std::uint64_t seed) {
  PageSpec spec;
  spec.width = static_cast<int>(std::lround(8.5 * dpi));
  spec.height = 11 * dpi;
  spec.dpi = dpi;
  spec.bitsPerPixel = bitsPerPixel;
  spec.content = content;
  spec.seed = seed;
  return spec;
}

std::optional<Dib> generatePage(const PageSpec& spec) {
  if (spec.bitsPerPixel != 1 && spec.bitsPerPixel != 8 && spec.bitsPerPixel != 24) return std::nullopt;
  if (spec.dpi <= 0) return std::nullopt;
  const int dotsPerMetre = static_cast<int>(std::lround(spec.dpi / 0.0254));
  auto page = Dib::create(spec.width, spec.height, 24, dotsPerMetre, dotsPerMetre);
  if (!page) return std::nullopt;

  const Rgb paper{spec.paperRed, spec.paperGreen, spec.paperBlue};
  const Backing backing = spec.blackBacking ? Backing{{18, 18, 20}, true} : Backing{{236, 236, 234}, false};
  const Random random(spec.seed);
  Canvas canvas(*page, paper);

  if (spec.defects.bleedThrough) {
    Random part = random.fork(kBleed);
    drawBleedThrough(canvas, part, spec.dpi);
  }
  Random content = random.fork(kContent);
  drawContent(canvas, content, spec.content, spec.dpi);
  for (const Barcode& barcode : spec.barcodes) {
    if (!drawBarcode(canvas, barcode, spec.dpi, paper)) return std::nullopt;
  }
  if (spec.defects.dust > 0) {
    Random part = random.fork(kDust);
    drawDust(canvas, part, spec.defects.dust, spec.dpi);
  }
  if (spec.defects.punchHoles) {
    Random part = random.fork(kHoles);
    drawPunchHoles(canvas, part, backing, spec.dpi);
  }
  if (spec.defects.border != Border::None) {
    Random part = random.fork(kBorder);
    drawBorder(canvas, part, spec.defects.border, backing, spec.dpi);
  }
  if (spec.defects.noise > 0) {
    Random part = random.fork(kNoise);
    addNoise(*page, part, spec.defects.noise);
  }
  if (spec.bitsPerPixel == 24) return page;
  return spec.bitsPerPixel == 8 ? ToGrey8(*page) : ToBlackWhite(*page, spec.threshold);
}

}  // namespace ostrel::pagegen
