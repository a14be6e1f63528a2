#pragma once
// The single-page image file writers: one page in, one file out, at the path the
// scan job took from NextFileName. Each file is written under a temporary name
// and moved into place when complete, so a failure leaves no torn file and keeps
// any older file of that name. Paths are UTF-8 as they come; no code-page
// conversion applies, so every format takes any file name the file system does.
//
//   BMP   FreeImage, uncompressed, the page's colour table and dots per metre.
//   JPEG  libjpeg-turbo at the given quality (see jpegQuality); 1-bit pages are
//         refused (JPEG has no bilevel mode; use TIFF or PDF for them).
//   GIF   FreeImage. 8-bit pages get a 256-step grey palette, 1-bit pages keep
//         their two colours, 24-bit pages are reduced to 256 colours.
//   TIFF  libtiff: CCITT Group 4 for 1-bit pages, JPEG for the others; see
//         tiff_writer.h for tags and resolution.
#include <string>

#include "imaging/dib.h"
#include "imaging/writers/write_result.h"

namespace ostrel::writers {

// The JPEG quality a button asks for: 100 minus its FileFormatProperty (the
// JPEG dialog stores the compression level there), kept within 1..100. A new
// JPEG button's 1 gives 99; 25 gives 75.
int jpegQuality(int fileFormatProperty);

WriteResult writeBmp(const Dib& page, const std::string& path);
WriteResult writeJpeg(const Dib& page, const std::string& path, int quality);
WriteResult writeGif(const Dib& page, const std::string& path);
WriteResult writeTiff(const Dib& page, const std::string& path);

// The writer for a single-page format code (format::kBmp, kJpeg, kGif, kTiff);
// any other code is refused without touching the disk.
WriteResult writeImageFile(int formatCode, const Dib& page, const std::string& path,
                           int fileFormatProperty);

}  // namespace ostrel::writers
