#include "app/scan/naming/file_extensions.h"

#include "app/settings/profile_records.h"

namespace ostrel {

std::string extensionForFormat(int formatCode) {
  switch (formatCode) {
    case format::kJpeg: return ".jpg";
    case format::kGif: return ".gif";
    case format::kTiff:
    case format::kMultiTiff: return ".tif";
    case format::kPdf:
    case format::kMultiPdf: return ".pdf";
    case format::kText: return ".txt";
    case format::kRichText: return ".rtf";
    case format::kWordDocument: return ".doc";
    default: return ".bmp";
  }
}

}  // namespace ostrel
