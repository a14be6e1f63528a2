#include "app/scan/job/batch_output.h"

#include "app/output/writers/image_file_writers.h"

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

BatchOutput::Added BatchOutput::add(const CButtonSetting& button, const Dib& page) {
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
      added.result = pdf_ ? pdf_->addPage(page) : WriteResult::failure("no PDF document is open");
      break;
    case OutputKind::text:
    case OutputKind::unknown:
      added.result = WriteResult::failure("format " + std::to_string(button.fileFormat) + " has no writer");
      break;
  }
  return added;
}

BatchOutput::Ended BatchOutput::end(const CButtonSetting& button) {
  Ended ended;
  if (tiff_) {
    ended.result = tiff_->finish();
    if (ended.result) ended.file = tiff_->path();
    tiff_.reset();
  }
  if (pdf_) {
    const bool empty = pdf_->pageCount() == 0;
    WriteResult finished = pdf_->finish();
    if (finished) {
      ended.file = pdf_->path();
    } else if (empty) {
      ended.unwritten = pdf_->path();
    } else {
      ended.result = std::move(finished);
    }
    pdf_.reset();
    raiseCounter(button, CounterRise::whenDocumentEnds);
  }
  return ended;
}

}  // namespace ostrel
