#pragma once
// The files of one batch, by the button's format code: one file per page for
// BMP, JPEG, GIF and TIFF, or one document for the whole batch, a multi-page
// TIFF or text document started by the batch's first page, or a PDF started
// with the batch (so a batch without pages still names and ends one, and the
// PDF writer leaves no file for it). A PDF takes the page's recognised text as
// the button's PDF option asks (FileFormatProperty 2 searchable, 0 text in
// place of the image, anything else the image alone); the text formats take the
// text alone. Names come from NextFileName with existing numbered files
// skipped; the file counter rises exactly as counterRise() says.
#include <optional>
#include <string>

#include "app/scan/naming/file_namer.h"
#include "imaging/ocr/page_text.h"
#include "imaging/pdf/pdf_writer.h"
#include "imaging/writers/counter_rules.h"
#include "imaging/writers/text_document.h"
#include "imaging/writers/tiff_writer.h"

namespace ostrel {

enum class OutputKind { singlePage, multiPageTiff, pdf, text, unknown };

OutputKind outputKind(int formatCode);

// The PDF option of a button's FileFormatProperty: 2 "Searchable PDF - Text
// under Image", 0 "OCR with Text Replacement", anything else "Image Only".
pdf::TextLayer pdfTextLayer(int fileFormatProperty);

// Whether the button's output needs each page's text recognised.
bool outputNeedsText(const CButtonSetting& button);

class BatchOutput {
 public:
  BatchOutput(FileNamer& namer, int& counter) : namer_(namer), counter_(counter) {}

  // Starts a batch; a PDF is created at once. A failure leaves no batch open.
  writers::WriteResult begin(const CButtonSetting& button);

  struct Added {
    writers::WriteResult result = writers::WriteResult::success();
    std::string file;  // the single-page file written, to be delivered
  };
  Added add(const CButtonSetting& button, const Dib& page, const ocr::PageText* text = nullptr);

  struct Ended {
    writers::WriteResult result = writers::WriteResult::success();
    std::string file;  // the document written, to be delivered; empty when none
    std::string unwritten;  // a document that received no page: its name is spent, no file made
  };
  // Closes the open document, if any.
  Ended end(const CButtonSetting& button);

 private:
  void raiseCounter(const CButtonSetting& button, writers::CounterRise when);

  FileNamer& namer_;
  int& counter_;
  std::optional<writers::TiffWriter> tiff_;
  std::optional<pdf::PdfWriter> pdf_;
  std::optional<writers::TextDocument> text_;
};

}  // namespace ostrel
