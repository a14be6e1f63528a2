#pragma once
// CCITT Group 4 (T.6) encoding of a 1-bit page with libtiff's codec: the bare
// coded data, black runs as the fax standard counts them (what a PDF
// CCITTFaxDecode filter with K -1 and BlackIs1 false reads).
#include <cstdint>
#include <vector>

#include "imaging/dib.h"
#include "imaging/writers/write_result.h"

namespace ostrel::writers {

// `out` is replaced by the coded page; only 1-bit pages are accepted.
WriteResult encodeCcittG4(const Dib& page, std::vector<std::uint8_t>& out);

}  // namespace ostrel::writers
