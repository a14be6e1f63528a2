#include "scanners/sourcemanager/sheet_drawer.h"

#include <memory>

namespace ostrel::virtualscanner {

std::optional<Dib> LibrarySheetDrawer::draw(const GeneratedSheet& sheet, int dpi, std::string* error) {
  const auto fail = [error](std::string reason) -> std::optional<Dib> {
    if (error) *error = std::move(reason);
    return std::nullopt;
  };
  std::lock_guard lock(mutex_);
  if (!tried_) {
    tried_ = true;
    library_ = platform::DynamicLibrary::open(path_, &loadError_);
  }
  if (!library_) return fail("generated pages need " + path_ + ", which does not load: " + loadError_);
  auto* drawSheet = library_->function<OstrelDrawSheetFunction>("OstrelDrawSheet");
  auto* freeSheet = library_->function<OstrelFreeSheetFunction>("OstrelFreeSheet");
  if (!drawSheet || !freeSheet) return fail(path_ + " is not a sheet drawing library");

  const OstrelSheetRequest request{sheet.seed, sheet.blank ? 1 : 0, sheet.barcode.c_str(), dpi};
  std::uint8_t* packed = nullptr;
  std::size_t size = 0;
  char reason[256] = {};
  if (drawSheet(&request, &packed, &size, reason, sizeof reason) != 0 || !packed) {
    reason[sizeof reason - 1] = '\0';
    return fail(reason[0] ? reason : "the page cannot be generated");
  }
  const std::unique_ptr<std::uint8_t, OstrelFreeSheetFunction*> owned(packed, freeSheet);
  auto page = Dib::fromPacked(std::span<const std::uint8_t>(packed, size));
  if (!page) return fail("the drawing library handed over a damaged page");
  return page;
}

}  // namespace ostrel::virtualscanner
