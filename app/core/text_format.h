#pragma once
// Fills a number into a text that comes from a translation file. Such a text is
// outside input, so it is never handed to printf: "%d" takes the number, "%%"
// is a percent sign, and anything else (a stray "%s", a text without "%d")
// stays as written.
#include <string>
#include <string_view>

namespace ostrel {

std::string formatWithNumber(std::string_view pattern, int number);

}  // namespace ostrel
