#pragma once
// Whether a naming pattern puts a barcode into its names, so the page step knows
// to read barcodes for it.
#include <string_view>

namespace ostrel {

// True when expanding the pattern meets a "B" token in any group.
bool nameUsesBarcode(std::string_view pattern);

}  // namespace ostrel
