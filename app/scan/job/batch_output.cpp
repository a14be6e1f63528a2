#include "app/scan/job/batch_output.h"

#include "imaging/writers/image_file_writers.h"

namespace ostrel {

using writers::CounterRise;
using writers::WriteResult;

OutputKind outputKind(int formatCode) {
  switch (formatCode) {
    case format::kBmp:
    case format::kJpeg:
    case format::kGif:
    case format::kTiff: return OutputKind::singlePage;
    case format::kMultiTiff: return OutputKind::multiPageTiff;
    case format::kPdf:
    case format::kMultiPdf: return OutputKind::pdf;
    case format::kText:
    case format::kRichText:
    case format::kWordDocument: return OutputKind::text;
    default: return OutputKind::unknown;
  }
}

pdf::TextLayer pdfTextLayer(int fileFormatProperty) {
  switch (fileFormatProperty) {
    case 2: return pdf::TextLayer::invisible;
    case 0: return pdf::TextLayer::replacesImage;
    default: return pdf::TextLayer::none;
  }
}

bool outputNeedsText(const CButtonSetting& button) {
  switch (outputKind(button.fileFormat)) {
    case OutputKind::text: return true;
    case OutputKind::pdf: return pdfTextLayer(button.fileFormatProperty) != pdf::TextLayer::none;
    default: return false;
  }
}

void BatchOutput::raiseCounter(const CButtonSetting& button, CounterRise when) {
  if (writers::counterRise(button.fileFormat) == when) ++counter_;
}

WriteResult BatchOutput::begin(const CButtonSetting& button) {
  if (outputKind(button.fileFormat) != OutputKind::pdf) return WriteResult::success();
  pdf_.emplace(namer_.NextFileName(button, true));
  if (pdf_->ok()) return WriteResult::success();
  WriteResult failed = pdf_->finish();
  pdf_.reset();
  return failed;
}

BatchOutput::Added BatchOutput::add(const CButtonSetting& button, const Dib& page, const ocr::PageText* text) {
  Added added;
  switch (outputKind(button.fileFormat)) {
    case OutputKind::singlePage: {
      const std::string path = namer_.NextFileName(button, true);
      added.result = writers::writeImageFile(button.fileFormat, page, path, button.fileFormatProperty);
      raiseCounter(button, CounterRise::afterEachFile);
      if (added.result) added.file = path;
      break;
    }
    case OutputKind::multiPageTiff:
      if (!tiff_) {
        tiff_.emplace(namer_.NextFileName(button, true));
        raiseCounter(button, CounterRise::whenFileStarts);
      }
      added.result = tiff_->addPage(page);
      break;
    case OutputKind::pdf:
      added.result = pdf_ ? pdf_->addPage(page, text, pdfTextLayer(button.fileFormatProperty))
                          : WriteResult::failure("no PDF document is open");
      break;
    case OutputKind::text:
      if (!text_) {
        text_.emplace(namer_.NextFileName(button, true),
                      button.fileFormat == format::kText ? writers::TextFormat::plain : writers::TextFormat::rich);
        raiseCounter(button, CounterRise::whenFileStarts);
      }
      added.result = text_->addPage(text ? *text : ocr::PageText{});
      break;
    case OutputKind::unknown:
      added.result = WriteResult::failure("format " + std::to_string(button.fileFormat) + " has no writer");
      break;
  }
  return added;
}

namespace {

// Finishes an open document. One that received no page leaves no file; that is
// not a failure of its own (a page that could not go in was reported when it came).
// One cut short by a failed write still keeps the pages before it: its file is
// written, and the failure reported as well.
template <typename Document>
void finishDocument(std::optional<Document>& document, BatchOutput::Ended& ended) {
  const bool empty = document->pageCount() == 0;
  WriteResult finished = document->finish();
  if (finished) {
    ended.file = document->path();
  } else if (empty) {
    ended.unwritten = document->path();
  } else {
    ended.result = std::move(finished);
    if (document->pageCount() > 0) ended.file = document->path();
  }
  document.reset();
}

}  // namespace

BatchOutput::Ended BatchOutput::end(const CButtonSetting& button) {
  Ended ended;
  if (tiff_) finishDocument(tiff_, ended);
  if (text_) finishDocument(text_, ended);
  if (pdf_) {
    finishDocument(pdf_, ended);
    raiseCounter(button, CounterRise::whenDocumentEnds);
  }
  return ended;
}

}  // namespace ostrel
