// Writes one synthetic page to an image file, for looking at pages and for
// building the labelled test set:
//   ostrel-pagegen [options] out.png|out.tif|out.bmp|out.jpg
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "tools/pagegen/page_files.h"
#include "tools/pagegen/page_generator.h"

namespace {

using namespace ostrel::pagegen;

const std::map<std::string, Content> kContents = {
    {"blank", Content::Blank},          {"dense", Content::DenseText}, {"sparse", Content::SparseText},
    {"word", Content::HandwrittenWord}, {"signature", Content::Signature}, {"pagenumber", Content::PageNumber},
    {"shortline", Content::ShortLine},  {"pencil", Content::PencilWord},   {"cornernumber", Content::CornerNumber},
    {"edgenote", Content::EdgeNote},
};
const std::map<std::string, Border> kBorders = {{"none", Border::None},     {"band", Border::Band},
                                                {"wedge", Border::Wedge},   {"shadow", Border::Shadow},
                                                {"wide", Border::Wide}};
const std::map<std::string, Symbology> kSymbologies = {
    {"code128", Symbology::Code128}, {"code39", Symbology::Code39}, {"qr", Symbology::QrCode},
    {"datamatrix", Symbology::DataMatrix}, {"ean13", Symbology::Ean13}, {"pdf417", Symbology::Pdf417}};

int usage() {
  std::fprintf(stderr,
               "usage: ostrel-pagegen\n"
               "  [--content blank|dense|sparse|word|signature|pagenumber|shortline|pencil|cornernumber|edgenote]\n"
               "  [--dpi N] [--depth 1|8|24] [--seed N] [--noise N] [--dust N] [--salt N]\n"
               "  [--border none|band|wedge|shadow|wide] [--holes] [--bleed] [--heavy-bleed]\n"
               "  [--white-backing] [--paper R,G,B]\n"
               "  [--barcode SYMBOLOGY:TEXT:X:Y[:ROTATION]]... out.png|out.tif|out.bmp|out.jpg\n");
  return 2;
}

template <typename T>
bool lookup(const std::map<std::string, T>& table, const char* name, T& out) {
  const auto it = table.find(name);
  if (it == table.end()) return false;
  out = it->second;
  return true;
}

bool parseBarcode(const std::string& text, Barcode& barcode) {
  char symbology[32] = {}, content[256] = {};
  int rotation = 0;
  if (std::sscanf(text.c_str(), "%31[^:]:%255[^:]:%d:%d:%d", symbology, content, &barcode.x, &barcode.y,
                  &rotation) < 4) {
    return false;
  }
  barcode.text = content;
  barcode.rotation = rotation;
  return lookup(kSymbologies, symbology, barcode.symbology);
}

// A whole number within [low, high]: larger counts would only keep the
// generator busy for hours.
bool inRange(const char* text, int low, int high, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

bool parsePaper(const char* text, PageSpec& pageSpec) {
  int red = 0, green = 0, blue = 0;
  char rest = 0;
  if (std::sscanf(text, "%d,%d,%d%c", &red, &green, &blue, &rest) != 3) return false;
  if (red < 0 || red > 255 || green < 0 || green > 255 || blue < 0 || blue > 255) return false;
  pageSpec.paperRed = static_cast<std::uint8_t>(red);
  pageSpec.paperGreen = static_cast<std::uint8_t>(green);
  pageSpec.paperBlue = static_cast<std::uint8_t>(blue);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  PageSpec pageSpec = letterPage(300, 24, Content::DenseText);
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    const auto takes = [&] { return value != nullptr && ++i; };
    if (arg == "--content" && takes()) {
      if (!lookup(kContents, value, pageSpec.content)) return usage();
    } else if (arg == "--dpi" && takes()) {
      int dpi = 0;
      if (!inRange(value, 1, 4800, dpi)) return usage();  // Letter at more is past what a page image holds
      const PageSpec sized = letterPage(dpi, pageSpec.bitsPerPixel, pageSpec.content);
      pageSpec.dpi = dpi, pageSpec.width = sized.width, pageSpec.height = sized.height;
    } else if (arg == "--depth" && takes()) {
      pageSpec.bitsPerPixel = std::atoi(value);
    } else if (arg == "--seed" && takes()) {
      pageSpec.seed = std::strtoull(value, nullptr, 10);
    } else if (arg == "--noise" && takes()) {
      if (!inRange(value, 0, 64, pageSpec.defects.noise)) return usage();
    } else if (arg == "--dust" && takes()) {
      if (!inRange(value, 0, 100000, pageSpec.defects.dust)) return usage();
    } else if (arg == "--border" && takes()) {
      if (!lookup(kBorders, value, pageSpec.defects.border)) return usage();
    } else if (arg == "--salt" && takes()) {
      if (!inRange(value, 0, 1000, pageSpec.defects.salt)) return usage();
    } else if (arg == "--paper" && takes()) {
      if (!parsePaper(value, pageSpec)) return usage();
    } else if (arg == "--heavy-bleed") {
      pageSpec.defects.bleedThrough = true;
      pageSpec.defects.heavyBleed = true;
    } else if (arg == "--holes") {
      pageSpec.defects.punchHoles = true;
    } else if (arg == "--bleed") {
      pageSpec.defects.bleedThrough = true;
    } else if (arg == "--white-backing") {
      pageSpec.blackBacking = false;
    } else if (arg == "--barcode" && takes()) {
      Barcode barcode;
      if (!parseBarcode(value, barcode)) return usage();
      pageSpec.barcodes.push_back(barcode);
    } else if (arg[0] != '-' && output.empty()) {
      output = arg;
    } else {
      return usage();
    }
  }
  if (output.empty()) return usage();
  const auto page = generatePage(pageSpec);
  if (!page) {
    std::fprintf(stderr, "ostrel-pagegen: the page cannot be generated (size, depth or barcode text)\n");
    return 1;
  }
  if (!savePage(*page, output)) {
    std::fprintf(stderr, "ostrel-pagegen: cannot write %s\n", output.c_str());
    return 1;
  }
  return 0;
}
