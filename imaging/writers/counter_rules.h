#pragma once
// When the scan job's file counter (the <#> naming token) rises for each output
// format. The job keeps the counter; the writers only state the rule.
namespace ostrel::writers {

enum class CounterRise {
  // BMP, and formats that write nothing: unchanged. The next name probe skips
  // a number that is in use, so numbered BMP files still do not collide.
  never,
  // JPEG, GIF and single-page TIFF: by 1 after each file, once the writer has
  // been called with the name (whatever it returned: the name is spent).
  afterEachFile,
  // Multi-page TIFF and the text documents (text, rich text, word-processor
  // document): by 1 when a new file is started, at the first page of a batch.
  whenFileStarts,
  // PDF: by 1 when the document is ended, after its path is handed to delivery,
  // also for a document that received no page.
  whenDocumentEnds,
};

CounterRise counterRise(int formatCode);

}  // namespace ostrel::writers
