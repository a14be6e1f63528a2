#pragma once
// The paper sizes a scan profile can name (its PaperSize index), with the names
// the configuration dialogs show. Sizes are in 1/300 inch.
#include <span>

namespace ostrel {

inline constexpr int kPaperCustom = 0;     // size and offsets from the profile
inline constexpr int kPaperAutomatic = 1;  // the scanner finds the sheet
inline constexpr int kPaperMaximum = 2;    // the scanner's largest area

struct PaperSize {
  const char* name;
  int width;   // 0 for the first three entries
  int length;
};

// Indexed by PaperSize, 0 to 18.
std::span<const PaperSize> paperSizes();

}  // namespace ostrel
