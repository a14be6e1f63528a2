#include "tools/pagegen/page_generator.h"

#include <cmath>

#include "tools/pagegen/barcode_drawing.h"
#include "tools/pagegen/canvas.h"
#include "tools/pagegen/defects.h"
#include "tools/pagegen/layouts.h"
#include "tools/pagegen/random.h"

namespace ostrel::pagegen {

namespace {

// Salts that give each part of a page its own random stream.
enum Part : std::uint64_t { kContent = 1, kBleed, kDust, kBorder, kHoles, kNoise };

int luminance(const std::uint8_t* bgr) { return (bgr[2] * 299 + bgr[1] * 587 + bgr[0] * 114) / 1000; }

Dib toDepth(const Dib& colour, int bitsPerPixel, int threshold) {
  auto out = Dib::create(colour.width(), colour.height(), bitsPerPixel, colour.xDotsPerMetre(),
                         colour.yDotsPerMetre());
  for (int y = 0; y < colour.height(); ++y) {
    const std::uint8_t* in = colour.row(y);
    std::uint8_t* row = out->row(y);
    for (int x = 0; x < colour.width(); ++x) {
      const int grey = luminance(in + 3 * x);
      if (bitsPerPixel == 8) {
        row[x] = static_cast<std::uint8_t>(grey);
      } else if (grey >= threshold) {
        row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return std::move(*out);
}

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
  return toDepth(*page, spec.bitsPerPixel, spec.threshold);
}

}  // namespace ostrel::pagegen
