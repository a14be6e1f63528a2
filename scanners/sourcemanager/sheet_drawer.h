#pragma once
// Generated sheets for virtual scanners that name no folder of pages. The
// source manager asks a SheetDrawer for them; the shipped one loads the sheet
// drawing library beside the source manager when the first such sheet is
// wanted, so the source manager itself carries no drawing code. That library
// is a test and demo tool: without it a generated sheet fails with a reason,
// and scanners fed from a folder of page images work as ever.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "imaging/dib.h"
#include "platform/dynamic_library.h"

namespace ostrel::virtualscanner {

struct GeneratedSheet {
  std::uint64_t seed = 1;
  bool blank = false;   // a blank side: scanner noise and dust only
  std::string barcode;  // Code 128 text drawn on the sheet; empty for none
};

class SheetDrawer {
 public:
  virtual ~SheetDrawer() = default;
  // A 24-bit sheet drawn at dpi, or nullopt with the reason in *error.
  virtual std::optional<Dib> draw(const GeneratedSheet& sheet, int dpi, std::string* error) = 0;
};

// The drawing library and its two plain C exports; nothing is thrown across.
inline constexpr const char* kSheetDrawingLibrary = "libostrelsheets.so";
struct OstrelSheetRequest {
  std::uint64_t seed;
  int blank;
  const char* barcode;  // "" for none
  int dpi;
};
// OstrelDrawSheet: 0 with a packed page image of *size bytes in *page, to be
// handed back to OstrelFreeSheet; otherwise not 0 with a NUL-terminated reason
// in error.
using OstrelDrawSheetFunction = int(const OstrelSheetRequest* request, std::uint8_t** page, std::size_t* size,
                                    char* error, std::size_t errorSize);
using OstrelFreeSheetFunction = void(std::uint8_t* page);

class LibrarySheetDrawer : public SheetDrawer {
 public:
  explicit LibrarySheetDrawer(std::string libraryPath) : path_(std::move(libraryPath)) {}
  std::optional<Dib> draw(const GeneratedSheet& sheet, int dpi, std::string* error) override;

 private:
  std::string path_;
  std::mutex mutex_;
  bool tried_ = false;
  std::optional<platform::DynamicLibrary> library_;
  std::string loadError_;
};

}  // namespace ostrel::virtualscanner
