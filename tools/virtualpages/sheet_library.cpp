// libostrelsheets.so: the sheet drawing library the source manager loads for
// virtual scanners with generated pages. Nothing thrown inside crosses it.
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/virtualpages/sheet_painter.h"

namespace {

void copyReason(const std::string& reason, char* error, std::size_t errorSize) {
  if (!error || errorSize == 0) return;
  const std::size_t n = std::min(reason.size(), errorSize - 1);
  std::memcpy(error, reason.data(), n);
  error[n] = '\0';
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int OstrelDrawSheet(
    const ostrel::virtualscanner::OstrelSheetRequest* request, std::uint8_t** page, std::size_t* size, char* error,
    std::size_t errorSize) {
  if (!request || !page || !size) return -1;
  try {
    ostrel::virtualscanner::GeneratedSheet sheet;
    sheet.seed = request->seed;
    sheet.blank = request->blank != 0;
    sheet.barcode = request->barcode ? request->barcode : "";
    std::string reason;
    const auto drawn = ostrel::virtualpages::paintSheet(sheet, request->dpi, &reason);
    if (!drawn) {
      copyReason(reason, error, errorSize);
      return -1;
    }
    const auto packed = drawn->packed();
    auto* copy = static_cast<std::uint8_t*>(std::malloc(packed.size()));
    if (!copy) {
      copyReason("no memory for the page", error, errorSize);
      return -1;
    }
    std::memcpy(copy, packed.data(), packed.size());
    *page = copy;
    *size = packed.size();
    return 0;
  } catch (const std::exception& failure) {
    copyReason(failure.what(), error, errorSize);
    return -1;
  }
}

extern "C" __attribute__((visibility("default"))) void OstrelFreeSheet(std::uint8_t* page) { std::free(page); }
