#include "app/output/writers/counter_rules.h"

#include "app/settings/profile_records.h"

namespace ostrel::writers {

CounterRise counterRise(int formatCode) {
  switch (formatCode) {
    case format::kJpeg:
    case format::kGif:
    case format::kTiff: return CounterRise::afterEachFile;
    case format::kMultiTiff: return CounterRise::whenFileStarts;
    case format::kPdf:
    case format::kMultiPdf: return CounterRise::whenDocumentEnds;
    default: return CounterRise::never;
  }
}

}  // namespace ostrel::writers
