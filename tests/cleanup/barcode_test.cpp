#include "imaging/barcode/barcode_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/pagegen/page_generator.h"

namespace ostrel {
namespace {

using pagegen::Barcode;
using pagegen::Symbology;

constexpr int kWidth = 2550, kHeight = 3300;  // Letter at 300 dpi

// A letter-like page carrying the barcodes.
Dib pageWith(std::vector<Barcode> barcodes, int bits, std::uint64_t seed = 7) {
  pagegen::PageSpec pageSpec = pagegen::letterPage(300, bits, pagegen::Content::SparseText, seed);
  pageSpec.defects.noise = 3;
  pageSpec.barcodes = std::move(barcodes);
  return *pagegen::generatePage(pageSpec);
}

enum class Edge { Top, Bottom, Left, Right };

// The barcode placed `gap` pixels from the edge, centred along it.
Barcode against(Edge edge, int gap, Symbology symbology, std::string text, int rotation = 0) {
  Barcode code{symbology, std::move(text), 0, 0, 0, 0, rotation};
  const auto size = *pagegen::barcodeSize(code, 300);
  code.x = (kWidth - size.width) / 2;
  code.y = (kHeight - size.height) / 2;
  switch (edge) {
    case Edge::Top: code.y = gap; break;
    case Edge::Bottom: code.y = kHeight - gap - size.height; break;
    case Edge::Left: code.x = gap; break;
    case Edge::Right: code.x = kWidth - gap - size.width; break;
  }
  return code;
}

TEST(ReadBarcodes, FindsCodesWithinACentimetreOfEveryEdge) {
  // 6, 59 and 112 pixels: half a millimetre, 5 mm and 9.5 mm from the edge.
  for (const int gap : {6, 59, 112}) {
    for (const Edge edge : {Edge::Top, Edge::Bottom, Edge::Left, Edge::Right}) {
      for (const Symbology symbology : {Symbology::Code128, Symbology::QrCode}) {
        const std::string text = "EDGE-" + std::to_string(static_cast<int>(edge)) + "-" + std::to_string(gap);
        const auto reading = ReadBarcodes(pageWith({against(edge, gap, symbology, text)}, 24), 128);
        EXPECT_EQ(reading.count, 1) << text << (symbology == Symbology::QrCode ? " QR" : " Code 128");
        EXPECT_EQ(reading.text, text);
      }
    }
  }
}

// Linear codes turned a quarter either way are the second pass's; against an
// edge they too lack the quiet zone a printed code would have.
TEST(ReadBarcodes, TurnedLinearCodesAgainstEveryEdge) {
  for (const Edge edge : {Edge::Top, Edge::Bottom, Edge::Left, Edge::Right}) {
    for (const int rotation : {90, 270}) {
      const std::string text = "SIDE-" + std::to_string(static_cast<int>(edge)) + "-" + std::to_string(rotation);
      const auto reading = ReadBarcodes(pageWith({against(edge, 6, Symbology::Code128, text, rotation)}, 24), 128);
      EXPECT_EQ(reading.pass, 2) << text;
      EXPECT_EQ(reading.count, 1) << text;
      EXPECT_EQ(reading.text, text);
    }
  }
}

TEST(ReadBarcodes, EveryDepthAndTurnedCodes) {
  for (const int bits : {1, 8, 24}) {
    for (const int rotation : {0, 90, 180, 270}) {
      const auto reading =
          ReadBarcodes(pageWith({against(Edge::Right, 30, Symbology::Code128, "TURN", rotation)}, bits), 128);
      EXPECT_EQ(reading.text, "TURN") << bits << " bits, " << rotation << " degrees";
    }
  }
}

TEST(ReadBarcodes, WhatTheFirstPassMissesTheSecondFinds) {
  // A code lying as printed, even against an edge: the first pass.
  const auto upright = ReadBarcodes(pageWith({against(Edge::Bottom, 10, Symbology::Code128, "UPRIGHT")}, 8), 128);
  EXPECT_EQ(upright.pass, 1);
  EXPECT_EQ(upright.text, "UPRIGHT");
  // A linear code turned a quarter: only the second pass sees it.
  const auto hard =
      ReadBarcodes(pageWith({against(Edge::Top, 10, Symbology::Code128, "TOP-TURNED", 90)}, 8), 128);
  EXPECT_EQ(hard.pass, 2);
  EXPECT_EQ(hard.count, 1);
  EXPECT_EQ(hard.text, "TOP-TURNED");
}

TEST(ReadBarcodes, SeveralCodesGiveTheCountAndTheTopmostText) {
  Barcode low{Symbology::Code128, "LOWER", 300, 2600};
  Barcode high{Symbology::QrCode, "UPPER", 1800, 400};
  Barcode middle{Symbology::Code128, "MIDDLE", 900, 1500};
  const auto reading = ReadBarcodes(pageWith({low, high, middle}, 24), 128);
  EXPECT_EQ(reading.count, 3);
  EXPECT_EQ(reading.text, "UPPER");
}

TEST(ReadBarcodes, ColourPagesAreThresholdedWithTheProfilesThreshold) {
  // Bars printed light grey (level 150) on white.
  Dib page = pageWith({against(Edge::Left, 200, Symbology::Code128, "FAINT")}, 24);
  for (int y = 0; y < page.height(); ++y) {
    std::uint8_t* row = page.row(y);
    for (int i = 0; i < 3 * page.width(); ++i) row[i] = row[i] < 100 ? 150 : row[i];
  }
  EXPECT_EQ(ReadBarcodes(page, 128).count, 0);  // below the threshold's contrast
  const auto found = ReadBarcodes(page, 200);
  EXPECT_EQ(found.count, 1);
  EXPECT_EQ(found.text, "FAINT");
}

TEST(ReadBarcodes, APageWithoutCodesGivesNothing) {
  const auto reading = ReadBarcodes(pageWith({}, 24), 128);
  EXPECT_EQ(reading.count, 0);
  EXPECT_EQ(reading.text, "");
  EXPECT_EQ(reading.pass, 0);
}

TEST(ReadBarcodes, AFailureCountsMinusOneWithItsReason) {
  const Dib huge = *Dib::create(65535, 4200, 1);  // 34 MB, but 275 MB to analyse
  const auto reading = ReadBarcodes(huge, 128);
  EXPECT_EQ(reading.count, -1);
  EXPECT_EQ(reading.error, "The page is too large to read barcodes from.");
}

}  // namespace
}  // namespace ostrel
