#include "imaging/writers/counter_rules.h"

#include "imaging/format_codes.h"

namespace ostrel::writers {

CounterRise counterRise(int formatCode) {
  switch (formatCode) {
    case format::kJpeg:
    case format::kGif:
    case format::kTiff: return CounterRise::afterEachFile;
    case format::kMultiTiff:
    case format::kText:
    case format::kRichText:
    case format::kWordDocument: return CounterRise::whenFileStarts;
    case format::kPdf:
    case format::kMultiPdf: return CounterRise::whenDocumentEnds;
    default: return CounterRise::never;
  }
}

}  // namespace ostrel::writers
