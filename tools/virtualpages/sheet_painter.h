#pragma once
// The generated sheets of virtual scanners: text-like Letter pages with a
// little sensor noise, blank sides with noise and dust, and pages carrying a
// Code 128 barcode, drawn by the page generator.
#include <optional>
#include <string>

#include "imaging/dib.h"
#include "scanners/sourcemanager/sheet_drawer.h"

namespace ostrel::virtualpages {

std::optional<Dib> paintSheet(const virtualscanner::GeneratedSheet& sheet, int dpi, std::string* error);

// For programs that run the source manager in-process (tests, benchmarks).
class SheetPainter : public virtualscanner::SheetDrawer {
 public:
  std::optional<Dib> draw(const virtualscanner::GeneratedSheet& sheet, int dpi, std::string* error) override {
    return paintSheet(sheet, dpi, error);
  }
};

}  // namespace ostrel::virtualpages
