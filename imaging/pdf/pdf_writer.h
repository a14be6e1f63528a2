#pragma once
// A PDF document of page images, written page by page as the scanner delivers
// them: each page is encoded and streamed to disk when it is added, so memory
// does not grow with the page count (only a file offset per object is kept).
// Grey and colour pages become JPEG images (DCTDecode), 1-bit pages CCITT
// Group 4 images (CCITTFaxDecode). Each page is the image's size at its
// resolution (2550 x 3300 pixels at 300 dpi is a Letter page); a page without a
// usable resolution is laid out at 300 dpi.
//
// A page may bring the text recognised on it. As a searchable page the image
// stays and the words lie under it as invisible text (render mode 3) in one
// glyph-less font shared by every page, with a ToUnicode map, so viewers find,
// select and copy them where the image shows them. As a text page ("OCR with
// text replacement") the image is replaced by the words, drawn in black on a
// white page at their places; a page on which nothing was recognised keeps its
// image.
//
// Finish contract: the document is written to a hidden temporary file beside its
// path, and finish() writes the page tree, cross-reference table and trailer and
// moves it to its path. A writer destroyed without finish() finishes in its
// destructor, so the file is still complete and valid, but the outcome is lost
// to the caller. If the process dies before finishing, the path holds no file
// (the temporary file is left behind). A document that received no page leaves
// no file at all, and finish() reports it as not written, so delivery skips it;
// an older file of that name is then left as it was. After a failed write (a full
// disk) the torn page is cut off and finish() still completes the pages before
// it into the file, but reports the failure.
#include <memory>
#include <string>

#include "imaging/dib.h"
#include "imaging/ocr/page_text.h"
#include "imaging/writers/write_result.h"

namespace ostrel::pdf {

using writers::WriteResult;

enum class TextLayer { none, invisible, replacesImage };

class PdfWriter {
 public:
  // JPEG quality of grey and colour pages: 75 keeps a 300-dpi colour Letter page
  // near 1 MB with no visible loss on scanned paper.
  static constexpr int kDefaultJpegQuality = 75;

  // Starts the document; a folder that is missing or cannot be written shows in
  // ok() at once, and every later call reports it.
  explicit PdfWriter(std::string path, int jpegQuality = kDefaultJpegQuality);
  ~PdfWriter();
  PdfWriter(PdfWriter&&) noexcept;
  PdfWriter& operator=(PdfWriter&&) noexcept;

  bool ok() const;
  const std::string& path() const;
  // The pages in so far; after finish(), the pages in the file at path(), 0
  // when it wrote none (so a failure that kept pages shows here).
  int pageCount() const;

  // Appends the page. A page that cannot be encoded is left out and the document
  // goes on; a write failure ends the document: later pages are refused.
  WriteResult addPage(const Dib& page, const ocr::PageText* text = nullptr, TextLayer layer = TextLayer::none);
  // Completes the document. Success means the file is at path() and complete;
  // later calls return the same outcome.
  WriteResult finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace ostrel::pdf
