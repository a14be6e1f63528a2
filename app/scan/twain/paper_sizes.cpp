#include "app/scan/twain/paper_sizes.h"

namespace ostrel {

namespace {

constexpr PaperSize kPaperSizes[] = {
    {"Custom", 0, 0},
    {"Automatic", 0, 0},
    {"Maximum Size", 0, 0},
    {"US Legal - 8.5\" x 14\"", 2550, 4200},
    {"US Letter - 8.5\" x 11\"", 2550, 3300},
    {"ISO A4 - 210 x 297 mm", 2480, 3508},
    {"ISO A5 - 148 x 210 mm", 1748, 2480},
    {"ISO A6 - 105 x 148 mm", 1240, 1748},
    {"ISO A7 - 74 x 105 mm", 874, 1240},
    {"ISO B5 - 176 x 250 mm", 2079, 2953},
    {"ISO B6 - 125 x 176 mm", 1476, 2079},
    {"ISO B7 - 88 x 125 mm", 1039, 1476},
    {"JIS B5 - 182 x 257 mm", 2150, 3035},
    {"JIS B6 - 128 x 182 mm", 1512, 2150},
    {"JIS B7 - 91 x 128 mm", 1075, 1512},
    {"Photo 4\" x 6\"", 1200, 1800},
    {"Photo 3\" x 5\"", 900, 1500},
    {"Photo 6\" x 4\"", 1800, 1200},
    {"Photo 5\" x 3\"", 1500, 900},
};

}  // namespace

std::span<const PaperSize> paperSizes() { return kPaperSizes; }

}  // namespace ostrel
